#include "platform/qnserver/plate_model.h"

#include <fmt/format.h>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "host/error.h"
#include "platform/plates/plate_format.h"
#include "platform/qnserver/physics.h"
#include "platform/qnserver/property_table.h"

namespace qnserver {
namespace {

constexpr host::Status kErrPlate = 0x7FFF0B03;

// Row letters A..Z, then AA, AB, ...; -1 for anything else.
std::int32_t RowIndex(const std::string& letters) {
    if (letters.empty() || letters.size() > 2) return -1;
    std::int32_t row = 0;
    for (char ch : letters) {
        char c = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
        if (c < 'A' || c > 'Z') return -1;
        row = row * 26 + (c - 'A' + 1);
    }
    return row - 1;
}

}  // namespace

PlateModel::PlateModel(std::int32_t wells) {
    const plates::PlateFormat* format = plates::FindFormat(wells);
    if (!format)
        throw host::Error(kErrPlate,
                          fmt::format("a plate has 96, 384 or 1536 wells, not {}", wells));
    rows_ = format->rows, columns_ = format->columns;
    a1x_ = format->a1x, a1y_ = format->a1y, pitch_ = format->pitch;
    conc_.assign(static_cast<std::size_t>(rows_ * columns_), 0.0);
}

PlateModel PlateModel::Default() {
    PlateModel plate(96);
    for (std::int32_t r = 0; r < 7; ++r)
        for (std::int32_t c = 0; c < 12; ++c)
            plate.SetConcentration(r, c, 1000.0 / std::pow(2.0, c));
    return plate;
}

double PlateModel::Concentration(std::int32_t row, std::int32_t column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_) {
        throw host::Error(kErrPlate,
                          fmt::format("no well at row {}, column {}", row + 1, column + 1));
    }
    return conc_[static_cast<std::size_t>(row * columns_ + column)];
}

void PlateModel::SetConcentration(std::int32_t row, std::int32_t column, double c) {
    Concentration(row, column);  // range check
    if (!std::isfinite(c) || c < 0) {
        throw host::Error(kErrPlate,
                          fmt::format("a concentration is a number of at least 0, not {}", c));
    }
    conc_[static_cast<std::size_t>(row * columns_ + column)] = c;
}

double PlateModel::ConcentrationAt(double x, double y) const {
    double cx = std::round((x - a1x_) / pitch_);
    double cy = std::round((y - a1y_) / pitch_);
    if (cx < 0 || cy < 0 || cx >= columns_ || cy >= rows_) return 0.0;
    auto column = static_cast<std::int32_t>(cx);
    auto row = static_cast<std::int32_t>(cy);
    double dx = x - WellX(column);
    double dy = y - WellY(row);
    double radius = kWellRadiusFraction * pitch_;
    if (dx * dx + dy * dy > radius * radius) return 0.0;
    return Concentration(row, column);
}

PlateModel PlateModel::Parse(std::istream& in, const std::string& name) {
    PlateModel plate(96);
    bool sawFormat = false, sawFill = false, sawWell = false;
    std::vector<std::int32_t> listedOn;  // per well, the line that gave it; 0: none yet
    std::string line;
    for (std::int32_t lineNo = 1; std::getline(in, line); ++lineNo) {
        auto fail = [&](const std::string& why) {
            throw host::Error(kErrPlate, fmt::format("{}, line {}: {}", name, lineNo, why));
        };
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string first, second, extra;
        if (!(words >> first)) continue;
        if (!(words >> second)) fail(fmt::format("'{}' needs a value", first));
        if (words >> extra) fail(fmt::format("unexpected '{}'", extra));
        double v = 0.0;
        if (!ParseNumber(second, v)) fail(fmt::format("'{}' is not a number", second));
        if (host::IEquals(first, "wells")) {
            if (sawFormat || sawFill || sawWell) fail("the plate format must come first, and once");
            try {
                plate = PlateModel(static_cast<std::int32_t>(v));
            } catch (const host::Error& e) {
                fail(e.what());
            }
            if (static_cast<double>(plate.Wells()) != v)
                fail(fmt::format("{} is not a plate format", second));
            sawFormat = true;
            plate.formatLine_ = lineNo;
        } else if (host::IEquals(first, "fill")) {
            if (sawFill || sawWell) fail("fill must come before the wells, and once");
            if (v < 0) fail("a concentration is at least 0");
            std::fill(plate.conc_.begin(), plate.conc_.end(), v);
            sawFill = true;
        } else {
            std::size_t digits = first.find_first_of("0123456789");
            std::int32_t row = RowIndex(first.substr(0, digits));
            double colNumber = 0.0;
            if (row < 0 || digits == std::string::npos ||
                !ParseNumber(first.substr(digits), colNumber) ||
                colNumber != std::floor(colNumber)) {
                fail(fmt::format("'{}' is not a well name", first));
            }
            if (row >= plate.rows_ || colNumber < 1 || colNumber > plate.columns_) {
                fail(fmt::format("{} is not a well of a {}-well plate", first, plate.Wells()));
            }
            if (v < 0) fail("a concentration is at least 0");
            const auto column = static_cast<std::int32_t>(colNumber) - 1;
            // A second line for a well is a slip that would silently win.
            listedOn.resize(static_cast<std::size_t>(plate.Wells()), 0);
            auto& firstLine = listedOn[static_cast<std::size_t>(row * plate.columns_ + column)];
            if (firstLine != 0)
                fail(fmt::format("{} is listed twice (first on line {})", first, firstLine));
            firstLine = lineNo;
            plate.SetConcentration(row, column, v);
            sawWell = true;
        }
    }
    return plate;
}

PlateModel PlateModel::Load(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw host::Error(kErrPlate, fmt::format("cannot read the plate file '{}'", path));
    return Parse(in, path);
}

}  // namespace qnserver
