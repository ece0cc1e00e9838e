#pragma once

#include <QTranslator>

namespace platform
{

// Texts of Qt's standard dialogs that Qt's own French translation leaves in
// English.
class MissingFrenchTexts : public QTranslator
{
    Q_OBJECT
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText,
                      const char *disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Makes the application French whatever the system's locale: QLocale()
// writes numbers, dates and sizes as in France, and Qt's standard dialogs and
// buttons speak French (Qt's "qtbase_fr" translation, then the texts it
// lacks). Build one after the application object and keep it while the
// application runs; it does not need the system's French locale.
class FrenchLocale
{
public:
    FrenchLocale();
    ~FrenchLocale();
    FrenchLocale(const FrenchLocale &) = delete;
    FrenchLocale &operator=(const FrenchLocale &) = delete;

    // False when Qt's translations are not installed (Debian's
    // qt6-translations-l10n): the standard buttons then stay in English.
    bool qtTranslationLoaded() const { return loaded_; }

private:
    QTranslator qtbase_;
    MissingFrenchTexts missing_;
    bool loaded_ = false;
};

} // namespace platform
