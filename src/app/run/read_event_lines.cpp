#include "app/run/read_event_lines.h"

#include "app/report/console.h"

void ReadEventLines::show(Console& console) {
    for (const std::string& line : lines_) console.reportReading("%s", line.c_str());
    lines_.clear();
}
