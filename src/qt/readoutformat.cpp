#include "readoutformat.h"

#include "render/readout.h"

TReadoutFormat::TReadoutFormat(const QLocale& locale) : decimalPoint_(locale.decimalPoint().toUtf8()) {}

QString TReadoutFormat::Text(double value) const
{
    const std::string text = ReadoutText(value, {decimalPoint_.constData(), std::size_t(decimalPoint_.size())});
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
