#include "readoutformat.h"

#include "render/readout.h"

TReadoutFormat::TReadoutFormat(const QLocale& locale) : decimalPoint_(locale.decimalPoint().toUtf8()) {}

QString TReadoutFormat::Text(double value) const
{
    const std::string text = ReadoutText(value, DecimalPoint());
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
