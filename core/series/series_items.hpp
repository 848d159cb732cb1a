// The diagrams of a series: files, folders of diagram files, list files and the scans of files that
// hold several, in the order given, each scan one item with what its file says of it.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "ui/messages.hpp"

namespace kalidos {

struct SeriesItem {
    std::string file;  // as given, or the folder given joined with the file's name
    int scan = 1;      // 1-based
    int scans = 1;     // the scans the file holds; 0 when it could not be read
    std::string name;  // the scan's name or the sample's, as the file gives it
    std::string startTime;  // ISO 8601 as the file states it; empty when it does not
    double temperature = std::numeric_limits<double>::quiet_NaN();  // K, when the file states it
    // Seconds from the earliest start time of the series to this scan's; NaN without a start time.
    double time = std::numeric_limits<double>::quiet_NaN();
    std::string unreadable;  // why the file could not be read; the item is still in the series
};

struct SeriesInputs {
    // Diagram files, and folders whose diagram files (recognised by their content, the others
    // skipped) come in the natural order of their names: scan_2 before scan_10.
    std::vector<std::string> paths;
    std::vector<std::string> listFiles;  // one path per line, blank lines skipped
    int scan = 0;  // only this scan (1-based) of each file; 0: every scan of each file
    std::vector<std::string> excluded;  // files a folder never contributes (the series' own outputs)
};

// The items of `inputs` in order. Empty text, or why there is no series (a list file or folder that
// cannot be read, no diagram at all, the same scan of a file named twice). A file that cannot be read
// is an item of its own with the reason in `unreadable`, so that the series records its failure.
std::string series_items(const SeriesInputs& inputs, std::vector<SeriesItem>& items, Messages& messages);

// Seconds since 1970-01-01 UTC of an ISO 8601 date and time ("2020-08-04T19:53:22+02:00",
// "2021-05-05T10:35:31Z", "2020-08-04 19:53:22.5"; without an offset the time is taken as UTC);
// NaN when the text is not one.
double iso_seconds(const std::string& text);

// Less when `a` comes before `b` with the digits of a name compared as numbers.
bool natural_less(const std::string& a, const std::string& b);

}  // namespace kalidos
