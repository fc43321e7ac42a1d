#pragma once

#include <QLocale>
#include <QString>

// The readouts' text in a locale: the engine's text form with the locale's decimal separator.
class TReadoutFormat {
public:
    explicit TReadoutFormat(const QLocale& locale = QLocale());

    // The text of one readout value.
    QString Text(double value) const;

private:
    QByteArray decimalPoint_;  // the locale's separator, whole and in UTF-8 (U+066B in Arabic locales)
};
