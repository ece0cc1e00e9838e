#include "csv.h"

namespace outil
{

std::vector<CsvRecord> parseCsv(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    std::vector<CsvRecord> records;
    std::size_t i = 0;
    int line = 1;
    const auto atLineEnd = [&](std::size_t p) {
        return p < text.size() && (text[p] == '\n' || text.substr(p, 2) == "\r\n");
    };
    const auto skipLineEnd = [&](std::size_t &p) {
        p += text[p] == '\r' ? 2 : 1;
        ++line;
    };

    while (i < text.size()) {
        CsvRecord rec;
        rec.line = line;
        std::string field;
        for (;;) {
            if (i < text.size() && text[i] == '"') {
                // Quoted field: up to the lone closing quote.
                const int start = line;
                ++i;
                bool closed = false;
                while (i < text.size()) {
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (text[i] == '\n')
                        ++line;
                    field += text[i++];
                }
                if (!closed) {
                    rec.error =
                        "guillemet ouvert à la ligne " + std::to_string(start) + " et jamais fermé";
                    break;
                }
                if (i < text.size() && text[i] != ',' && !atLineEnd(i)) {
                    rec.error = "texte après le guillemet fermant d'un champ";
                    while (i < text.size() && !atLineEnd(i))
                        ++i;
                }
            } else {
                while (i < text.size() && text[i] != ',' && !atLineEnd(i))
                    field += text[i++];
            }
            rec.fields.push_back(std::move(field));
            field.clear();
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            if (i < text.size())
                skipLineEnd(i);
            break;
        }
        records.push_back(std::move(rec));
    }
    return records;
}

std::string csvField(std::string_view text)
{
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote)
        return std::string(text);
    std::string s = "\"";
    for (char c : text) {
        if (c == '"')
            s += '"';
        s += c;
    }
    s += '"';
    return s;
}

} // namespace outil
