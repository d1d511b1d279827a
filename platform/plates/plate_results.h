#pragma once
// Stored acquisition data seen as plates: the method's positions with their
// wells, and per sample the reading at each position. Samples come in the
// result table's order (items of result type 1, then the others); a sample
// without a reading at a position has none there (not a zero).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/acq_data.h"
#include "platform/plates/plate_format.h"

namespace plates {

// Stored data that cannot be laid out (no method, a position that is not a
// number, a result at a position the method lacks, a result without a value).
inline constexpr std::int32_t kErrResults = 0x7FFF1701;

struct MethodPosition {
    double x = 0, y = 0;       // mm
    double ex = 0, em = 0;     // nm
    std::optional<Well> well;  // when the method has a plate format
    int read = 1;  // the how-many-th position in its well (1 unless a well is read again)
};

struct Reading {
    double intensity = 0;
    bool overflow = false;  // the detector's over-range flag
    // s since the run's start: the stored record's fourth value, when it has one.
    std::optional<double> time;
};

struct SampleResults {
    std::string id;
    std::int32_t row = 0;                    // its row in the result table, from 1
    std::vector<std::optional<Reading>> at;  // per position, from 0
};

struct PlateResults {
    std::string source;  // the file, for messages
    std::string methodName;
    std::string runTime;                  // the run's start as stored, empty when not stored
    std::string unit;                     // of the intensity
    const PlateFormat* format = nullptr;  // nullptr: the positions fit no plate
    std::vector<MethodPosition> positions;
    std::vector<SampleResults> samples;
    int reads = 1;  // the most positions any one well has

    bool HasTimes() const;
    // The samples whose ID is id, by index into samples.
    std::vector<std::size_t> SamplesWithId(const std::string& id) const;
    // The sample a person names (the first sample when none is named); raises
    // host::Error(kErrResults) for an ID the data does not hold or holds twice,
    // and for data without samples.
    std::size_t ChooseSample(const std::optional<std::string>& id) const;
};

// Raises host::Error(kErrResults) naming source for data that cannot be laid out.
PlateResults ResultsOf(const host::AcqData& data, const std::string& source);
// Also raises (the loader's error) for a file that cannot be read or is no acquisition data.
PlateResults LoadResults(const std::string& path);

}  // namespace plates
