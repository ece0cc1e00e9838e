#include "tst_cards.h"

namespace cards
{

char *toString(IoError e)
{
    static const char *const names[] = {"None",    "Open",        "Write",        "Damaged",
                                        "TooLong", "Unencodable", "RecordNumber", "Locked"};
    return qstrdup(names[static_cast<int>(e)]);
}

char *toString(DbMessage m)
{
    static const char *const names[] = {"None", "LectureImpossible", "EcritureImpossible"};
    return qstrdup(names[static_cast<int>(m)]);
}

} // namespace cards

int main(int argc, char **argv)
{
    int status = 0;
    {
        TextTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        DatabaseTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        CardFileTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
