// libFuzzer target: any text handed to the evaluator ends with a code from 0
// to 3, and a success leaves one number-shaped text; any number text read
// back writes the same text.
#include "evaluator.h"
#include "numbertext.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0 || size > 2048)
        return 0;
    const int angle = data[0] & 1;
    const std::string input(reinterpret_cast<const char *>(data) + 1, size - 1);

    std::string text = input;
    calculator::Evaluator evaluator;
    const int code = evaluator.evalue(text, angle);
    if (code < 0 || code > 3)
        std::abort();
    if (code == calculator::kSuccess &&
        text.find_first_not_of("0123456789.E+-") != std::string::npos)
        std::abort();

    if (const auto value = calculator::readNumber(input)) {
        const std::string written = calculator::numberText(*value);
        if (const auto again = calculator::readNumber(written)) {
            if (calculator::numberText(*again) != written)
                std::abort();
        }
    }
    return 0;
}
