#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sql {

// An instant with millisecond precision, as stored in the database.
using Date = std::chrono::sys_time<std::chrono::milliseconds>;

// Turns dates into the text stored in the database and back. The base class writes the fixed
// UTC form "yyyy-MM-ddTHH:mm:ss.SSS" (for example 2024-03-05T14:07:09.250, no zone suffix)
// and parses only text of exactly that shape. Subclass it to store dates differently.
class DateFormatter {
 public:
  virtual ~DateFormatter() = default;

  // Throws std::out_of_range for a date outside the years 0000 to 9999.
  virtual std::string string(Date date) const;
  // Absent when `text` is not a valid date of the stored shape.
  virtual std::optional<Date> date(std::string_view text) const;
};

// The process-wide formatter used by the Date conversions, created on first use. Replacing it
// is meant for start-up, before connections are used; both calls are nevertheless thread-safe.
std::shared_ptr<const DateFormatter> dateFormatter();
// Installs `formatter`; null restores the fixed UTC form.
void setDateFormatter(std::shared_ptr<const DateFormatter> formatter);

}  // namespace sql
