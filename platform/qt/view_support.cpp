#include "platform/qt/view_support.h"

#include <cmath>

#include <QStringList>

#include "platform/kvbase/number_format.h"
#include "platform/kvbase/range_syntax.h"

namespace qtview {

int Px(std::int32_t twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / host::kTwipsPerPixel));
}

QRect PxRect(const host::Rect& rect) {
    return QRect(Px(rect.left), Px(rect.top), Px(rect.width), Px(rect.height));
}

QRect PxRect(const host::Rect& rect, double room) {
    const auto x = [room](double twips) {
        return static_cast<int>(std::lround(twips * room / host::kTwipsPerPixel));
    };
    const int left = x(rect.left);
    return QRect(left, Px(rect.top), x(static_cast<double>(rect.left) + rect.width) - left,
                 Px(rect.height));
}

std::int32_t Twips(int px) {
    return static_cast<std::int32_t>(px) * host::kTwipsPerPixel;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

host::Variant PropertyOr(const host::Control& control, const std::string& name) {
    try {
        return control.Property(name);
    } catch (...) {
        return {};
    }
}

bool BoolProperty(const host::Control& control, const std::string& name, bool fallback) {
    try {
        const auto v = control.Property(name);
        return v.IsEmpty() ? fallback : v.ToBool();
    } catch (...) {
        return fallback;
    }
}

std::int32_t IntProperty(const host::Control& control, const std::string& name,
                         std::int32_t fallback) {
    try {
        const auto v = control.Property(name);
        return v.IsEmpty() ? fallback : v.ToInt32();
    } catch (...) {
        return fallback;
    }
}

std::string TextProperty(const host::Control& control, const std::string& name) {
    try {
        return control.Property(name).ToString();
    } catch (...) {
        return {};
    }
}

QFont FontOf(const host::Variant& font, const QFont& base) {
    QFont result = base;
    std::string text;
    try {
        text = font.ToString();
    } catch (...) {
        return result;
    }
    const QStringList parts = Q(text).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const QString part = parts[i].trimmed();
        const QString lower = part.toLower();
        if (lower.endsWith(QLatin1String("pt"))) {
            bool ok = false;
            const double size = lower.chopped(2).trimmed().toDouble(&ok);
            if (ok && size > 0 && size < 200) result.setPointSizeF(size);
        } else if (lower == QLatin1String("bold")) {
            result.setBold(true);
        } else if (lower == QLatin1String("italic")) {
            result.setItalic(true);
        } else if (lower == QLatin1String("underline")) {
            result.setUnderline(true);
        } else if (i == 0 && !part.isEmpty()) {
            result.setFamilies({part});
        }
    }
    return result;
}

std::optional<QColor> ColorOf(const host::Variant& color) {
    if (color.IsEmpty()) return std::nullopt;
    try {
        const std::int32_t v = color.ToInt32();
        if (v < 0) return std::nullopt;
        return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    } catch (...) {
        return std::nullopt;
    }
}

std::string ValueText(const host::Variant& value, std::int32_t dataType,
                      const std::string& pattern) {
    if (value.IsEmpty()) return {};
    static const kvbase::Numbers numbers;
    try {
        if (dataType == host::kTypeNumber && !value.IsNumeric()) return value.ToString();
        return numbers.ValueToText(value, dataType, pattern, 0);
    } catch (...) {
    }
    try {
        return value.ToString();
    } catch (...) {
        return {};
    }
}

std::string EditText(const host::Variant& value) {
    try {
        return value.ToString();
    } catch (...) {
        return {};
    }
}

std::vector<std::string> ListItems(const std::string& range) {
    try {
        const auto parsed = kvbase::ParseRange(range);
        if (parsed.kind == kvbase::Range::Kind::List) return parsed.items;
    } catch (...) {
    }
    return {};
}

QVariant ToQVariant(const host::Variant& value) {
    using K = host::Variant::Kind;
    try {
        switch (value.GetKind()) {
            case K::Empty:
                return {};
            case K::Bool:
                return value.ToBool();
            case K::Int16:
            case K::Int32:
                return value.ToInt32();
            case K::Double:
                return value.ToDouble();
            case K::Date:
            case K::Text:
                return Q(value.ToString());
        }
    } catch (...) {
    }
    return {};
}

host::Variant FromQVariant(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::UnknownType:
            return {};
        case QMetaType::Bool:
            return value.toBool();
        case QMetaType::Int:
            return static_cast<std::int32_t>(value.toInt());
        case QMetaType::Double:
            return value.toDouble();
        default:
            return S(value.toString());
    }
}

}  // namespace qtview
