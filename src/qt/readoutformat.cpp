#include "readoutformat.h"

std::string LocaleDecimalPoint(const QLocale& locale) { return locale.decimalPoint().toStdString(); }
