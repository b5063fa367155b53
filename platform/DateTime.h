#pragma once
// Date-times as days since 1899-12-30 (day 0), the time of day as the fraction.

namespace datetime {

using TDateTime = double;

bool IsValidDate(int year, int month, int day);
// Throws std::runtime_error for an impossible date.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& msec);
// Local time of the machine.
TDateTime Now();
TDateTime Date();

} // namespace datetime
