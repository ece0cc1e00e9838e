#pragma once

#include "database.h"
#include "recordfile.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

Q_DECLARE_METATYPE(cards::IoError)
Q_DECLARE_METATYPE(cards::DbMessage)
Q_DECLARE_METATYPE(std::optional<double>)

namespace cards
{
// Readable names in failure output.
char *toString(IoError e);
char *toString(DbMessage m);
} // namespace cards

class TextTest : public QObject
{
    Q_OBJECT
private slots:
    void cp1252RoundTripsEveryByte();
    void cp1252Encodes_data();
    void cp1252Encodes();
    void cp1252Refuses_data();
    void cp1252Refuses();
    void flagsDecode_data();
    void flagsDecode();
    void readDecimalComma_data();
    void readDecimalComma();
    void readsAsSingle_data();
    void readsAsSingle();
    void recordWriteErrors_data();
    void recordWriteErrors();
    void recordReads_data();
    void recordReads();
    void saveReplacesAtomically();
    void saveRespectsProtection();
    void writeOneRecordInPlace_data();
    void writeOneRecordInPlace();
    void writeOneRecordRefuses_data();
    void writeOneRecordRefuses();
    void writeOneRecordWaitsForSave();
    void writeOneRecordInProtectedFolder();
};

class DatabaseTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void firstCardMakesOneSlot();
    void listEndsAtFirstBlankName_data();
    void listEndsAtFirstBlankName();
    void showFindsExactName_data();
    void showFindsExactName();
    void showCompletesNineFlags();
    void checkName_data();
    void checkName();
    void checkNameFailureRefuses();
    void writeGoesToFirstFreeSlot();
    void writeReplacesInPlace();
    void removeMovesLaterCards_data();
    void removeMovesLaterCards();
    void removeMatchesRecordByRecord();
    void fullDatabase();
    void readerAgreesWithWholeFile();
    void failedWriteLeavesFileIntact_data();
    void failedWriteLeavesFileIntact();
    void saveFailsHalfWay();
    void missingDatabaseNotCreated();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::filesystem::path path_;
};

class CardFileTest : public QObject
{
    Q_OBJECT
private slots:
    void writeLayout();
    void writeKeepsTailOfLongerFile();
    void readChecksHeader_data();
    void readChecksHeader();
    void nineFlagsCompletedOnlyOnOpen();
    void tooLongTextLeavesFileIntact();
    void downloadList();
};
