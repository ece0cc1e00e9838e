// Any bytes as a species database. The first bytes choose the operation's
// arguments, the rest is the file. In memory: counting, reading every card,
// writing a card and removing one keep the slot structure; on a file in a
// temporary directory: list, show, check, write and remove never fail in
// another way than their messages, and a failed write leaves the file as it was.
#include "database.h"

#include "fuzzsupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

using fuzzsupport::check;
using fuzzsupport::readAll;
using fuzzsupport::workDir;

namespace
{

// Reads the arguments from the front of the input.
struct Input {
    const std::uint8_t *data;
    std::size_t size;

    unsigned byte()
    {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
    int slot() { return static_cast<int>(byte() | (byte() << 8)) - 2; }
    std::string text()
    {
        const std::size_t n = std::min<std::size_t>(byte() % 140, size);
        std::string s(reinterpret_cast<const char *>(data), n);
        data += n;
        size -= n;
        return s;
    }
};

void checkImage(const cards::RecordFile &file, Input &in)
{
    using namespace cards;
    IoError countError;
    const int count = image::countCards(file, &countError);
    check(count >= 0 && count <= kMaxCards);
    std::vector<carte> cardsRead;
    for (int i = 0; i < count; ++i) {
        carte c;
        if (image::readCard(file, i, c) != IoError::None)
            break;
        check(!isBlank(c.nom()));
        cardsRead.push_back(c);
    }

    // A card written reads back exactly, and a blank-named card never
    // counts; a refused card leaves the image untouched.
    {
        RecordFile copy = file;
        carte c;
        for (int k = 1; k <= kFieldCount; ++k)
            c.field(k) = in.text();
        const int slot = in.slot();
        const IoError e = image::writeCard(copy, slot, c);
        if (e == IoError::None) {
            carte back;
            check(image::readCard(copy, slot, back) == IoError::None && back == c);
        } else {
            check(copy.bytes() == file.bytes());
        }
    }

    // Removing a card moves every later one down one slot and keeps the
    // earlier ones; the database then holds one card less.
    if (countError == IoError::None && static_cast<int>(cardsRead.size()) == count && count > 0) {
        RecordFile copy = file;
        const int slot = static_cast<int>(in.byte() | (in.byte() << 8)) % count;
        const IoError e = image::removeCard(copy, slot);
        if (e == IoError::None) {
            check(image::countCards(copy) == count - 1);
            for (int i = 0; i < count - 1; ++i) {
                carte c;
                check(image::readCard(copy, i, c) == IoError::None);
                check(c == cardsRead[static_cast<std::size_t>(i < slot ? i : i + 1)]);
            }
        } else {
            check(copy.bytes() == file.bytes());
        }
    }
}

void checkFile(const std::string &bytes, Input &in)
{
    using namespace cards;
    const Database db = Database::inDirectory(workDir());
    {
        std::ofstream out(db.path(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const int field = 5 + static_cast<int>(in.byte() % 7);
    const ListResult listed = db.list(field);
    check(static_cast<int>(listed.cards.size()) <= kMaxCards);

    const int numcarte = in.slot();
    std::string name = in.text();
    if (!listed.cards.empty() && (in.byte() & 1))
        name = listed.cards[in.byte() % listed.cards.size()].nom;
    const ShowResult shown = db.showCompletingFlags(name, numcarte);
    if (shown.found) {
        check(shown.message == DbMessage::None && shown.card.nom() == name);
        check(shown.card.drapeaux().size() != 9);
    }
    db.checkName(name, numcarte);

    carte c;
    for (int k = 1; k <= kFieldCount; ++k)
        c.field(k) = in.text();
    const std::string beforeWrite = readAll(db.path());
    const WriteResult written = db.write(c, in.slot());
    if (written.message != DbMessage::None)
        check(readAll(db.path()) == beforeWrite);

    const std::string beforeRemove = readAll(db.path());
    if (db.remove(in.slot()) != DbMessage::None)
        check(readAll(db.path()) == beforeRemove);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input in{data, size};
    const unsigned mode = in.byte();
    const unsigned argBytes = in.byte();
    // The arguments are taken from a copy of the first argBytes bytes after
    // the header, the file from everything after them.
    const std::size_t split = std::min<std::size_t>(argBytes * 4u, in.size);
    Input args{in.data, split};
    const std::string bytes(reinterpret_cast<const char *>(in.data) + split, in.size - split);
    const cards::RecordFile file(std::vector<char>(bytes.begin(), bytes.end()));
    if (mode & 1)
        checkFile(bytes, args);
    else
        checkImage(file, args);
    return 0;
}
