#pragma once
// The plate on the stage: a standard microplate whose wells hold a
// fluorophore concentration (arbitrary units).
//
// Plate file, one statement a line, '#' starts a comment:
//   wells 96        plate format: 96, 384 or 1536 (first statement; 96 when absent)
//   fill 0          concentration of every well not listed (0 when absent)
//   A1 1000         a well and its concentration; rows A..Z, AA..AF
// A malformed line, and a well listed twice, are refused with host::Error
// naming the file and the line.
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace qnserver {

class PlateModel {
  public:
    // 96 wells; rows A-G a two-fold dilution series from 1000 in column 1, row H blanks.
    static PlateModel Default();
    static PlateModel Load(const std::string& path);
    static PlateModel Parse(std::istream& in, const std::string& name);
    // An empty plate of 96, 384 or 1536 wells; raises for any other count.
    explicit PlateModel(std::int32_t wells);

    std::int32_t Wells() const { return rows_ * columns_; }
    std::int32_t Rows() const { return rows_; }
    std::int32_t Columns() const { return columns_; }
    // The line of the file's "wells" statement; 0 when it has none (or was not read from a file).
    std::int32_t FormatLine() const { return formatLine_; }
    double WellX(std::int32_t column) const { return a1x_ + column * pitch_; }  // from 0
    double WellY(std::int32_t row) const { return a1y_ + row * pitch_; }
    double Concentration(std::int32_t row, std::int32_t column) const;
    void SetConcentration(std::int32_t row, std::int32_t column, double c);
    // The concentration of the well under the optics at stage position x, y;
    // 0 between wells and off the plate.
    double ConcentrationAt(double x, double y) const;

  private:
    std::int32_t rows_ = 8, columns_ = 12;
    std::int32_t formatLine_ = 0;
    double a1x_ = 14.38, a1y_ = 11.24, pitch_ = 9.0;
    std::vector<double> conc_;
};

}  // namespace qnserver
