#pragma once
// Conversions between the control models and Qt: twips and pixels, the
// designed font and colour texts, value texts and list ranges. None of them
// raises: what cannot be read falls back to Qt's default.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QVariant>

#include "host/control.h"

namespace qtview {

// 15 twips = 1 pixel, rounded to the nearest pixel.
int Px(std::int32_t twips);
QRect PxRect(const host::Rect& rect);
// The rectangle with its left edge and width room times as far (see FormView).
QRect PxRect(const host::Rect& rect, double room);
std::int32_t Twips(int px);

QString Q(const std::string& text);
std::string S(const QString& text);

// A designed property, or an empty value when the control does not know it.
host::Variant PropertyOr(const host::Control& control, const std::string& name);
bool BoolProperty(const host::Control& control, const std::string& name, bool fallback);
std::int32_t IntProperty(const host::Control& control, const std::string& name,
                         std::int32_t fallback);
std::string TextProperty(const host::Control& control, const std::string& name);

// "Tahoma, 9pt, bold": family, size in points, and the words bold, italic and
// underline, separated by commas; what is missing keeps base's setting.
QFont FontOf(const host::Variant& font, const QFont& base);
// A colour number as the forms runtime stores it: 0x00BBGGRR; a system colour
// (top bit set) or an empty value is no colour.
std::optional<QColor> ColorOf(const host::Variant& color);

// The value as a person reads it: by the data type and output pattern, or its
// own text when it does not fit them; empty for an empty value.
std::string ValueText(const host::Variant& value, std::int32_t dataType,
                      const std::string& pattern);
// The value as a person edits it: the shortest text that reads back exactly.
std::string EditText(const host::Variant& value);

// The items of a list range "{a;b}"; empty for any other range.
std::vector<std::string> ListItems(const std::string& range);

// The value for Qt's item models: bool, int, double or text; invalid when empty.
QVariant ToQVariant(const host::Variant& value);
// What a person typed or chose: texts stay texts, for the model to read as its type.
host::Variant FromQVariant(const QVariant& value);

}  // namespace qtview
