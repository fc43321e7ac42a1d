#pragma once

#include <QLocale>

#include <string>

// The locale's decimal separator, whole and in UTF-8 (U+066B in Arabic locales), for the readouts.
std::string LocaleDecimalPoint(const QLocale& locale = QLocale());
