#pragma once

#include <QLocale>
#include <QString>

#include <string_view>

// The readouts' text in a locale: the engine's text form with the locale's decimal separator.
class TReadoutFormat {
public:
    explicit TReadoutFormat(const QLocale& locale = QLocale());

    // The text of one readout value.
    QString Text(double value) const;
    // The separator, UTF-8.
    std::string_view DecimalPoint() const { return {decimalPoint_.constData(), std::size_t(decimalPoint_.size())}; }

private:
    QByteArray decimalPoint_;  // the locale's separator, whole and in UTF-8 (U+066B in Arabic locales)
};
