#pragma once
// The fields both readers take apart: numbers, missing values and date-times placed on
// the target zone's clock.
#include <string>
#include <string_view>

#include "local_time.h"

namespace tidemark::load {

enum class ValueField { Number, Missing, NotANumber };

// A number ("12.5", "-3", "1e3", with a decimal comma when `decimalComma`); empty text
// and the missing-value words of `missingWords` (compared as written) count as missing.
ValueField ReadValueField(std::string_view text, bool decimalComma,
                          std::initializer_list<std::string_view> missingWords, double& out);

std::string_view TrimField(std::string_view text);

// Places a file's time on the target clock: with an offset it is converted; without one
// it is already wall-clock time and must exist there. False with the reason otherwise.
bool PlaceTime(ZoneClock& clock, const FileTime& time, Seconds& local, Seconds& instant, std::string* why);

// "line N: text" descriptions for faults, with the offending field quoted and shortened.
std::string Quoted(std::string_view text);

}  // namespace tidemark::load
