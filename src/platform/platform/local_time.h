#pragma once
// The wall-clock time in the person's own time zone, for names a person
// reads (restore points).

namespace verbarium {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

LocalTime localTimeNow();

}  // namespace verbarium
