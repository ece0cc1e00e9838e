// libFuzzer target: any text read as a formula gives either a positive,
// finite mass with atoms counted, or a reason with its place inside the text;
// taking a formula that reads into brackets with a count multiplies its atoms,
// and any stored mass text read back is a finite number.
#include "fuzzsupport.h"
#include "molarmass.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using fuzzsupport::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 4096)
        return 0;
    const std::string text(reinterpret_cast<const char *>(data), size);
    const cards::MolarMass m = cards::molarMass(text);
    if (m.ok()) {
        check(std::isfinite(m.value) && m.value > 0 && !m.atoms.empty());
        if (text.find_first_of(",.\xC2\xE2") == std::string::npos) {
            const cards::MolarMass twice = cards::molarMass("(" + text + ")#2");
            if (twice.ok()) {
                check(twice.atoms.size() == m.atoms.size());
                for (const auto &[z, n] : m.atoms)
                    check(twice.atoms.at(z) == 2 * n);
            }
        }
    } else {
        check(m.value == 0 && m.position <= text.size() && !m.message().empty());
    }
    if (const auto v = cards::readMolarMassText(text))
        check(std::isfinite(*v));
    return 0;
}
