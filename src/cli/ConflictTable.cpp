#include "cli/ConflictTable.h"

#include <algorithm>
#include <array>
#include <vector>

#include "model/NumberKinds.h"
#include "model/Text.h"
#include "run/RunUi.h"

namespace velmora::cli {

namespace {

struct Row {
    std::string label;
    std::array<std::string, 4> cells;  // Outlook number, speed, PhoneBook number, speed
};

std::string Padded(const std::string& text, std::size_t width, char fill = ' ') {
    const std::size_t length = Utf8Length(text);
    return text + std::string(width > length ? width - length : 0, fill);
}

// The dialog's labels carry dot leaders tuned for a proportional font; in a
// terminal the words get leaders of their own that end in one column.
std::string LabelWords(std::string_view label) {
    return std::string(label.substr(0, label.find(" .")));
}

}  // namespace

std::string RenderConflictTable(const SyncObject& outlook, const SyncObject& phoneBook) {
    std::vector<Row> rows;
    rows.push_back({"", {"Outlook Data", "", "PhoneBook Data", ""}});
    rows.push_back(
        {"", {"", std::string(kConflictSpeedDialLabel), "", std::string(kConflictSpeedDialLabel)}});
    rows.push_back(
        {LabelWords(kConflictNameLabel), {outlook.ContactName, "", phoneBook.ContactName, ""}});
    for (const auto& kind : kNumberKinds) {
        rows.push_back(
            {LabelWords(ConflictLabel(kind.kind)),
             {std::string(outlook.Number(kind.kind)), std::string(outlook.Speed(kind.kind)),
              std::string(phoneBook.Number(kind.kind)), std::string(phoneBook.Speed(kind.kind))}});
    }

    std::size_t labelWidth = 0;  // words, a blank and at least three dots
    std::array<std::size_t, 4> widths{};
    for (const Row& row : rows) {
        labelWidth = std::max(labelWidth, Utf8Length(row.label) + 4);
        for (std::size_t c = 0; c < widths.size(); ++c) {
            // The column headings may overhang their number column.
            if (&row != &rows.front()) widths[c] = std::max(widths[c], Utf8Length(row.cells[c]));
        }
    }
    // Each side's heading spans its number and speed columns.
    for (std::size_t side : {0u, 2u}) {
        const std::size_t heading = Utf8Length(rows.front().cells[side]);
        if (widths[side] + 2 + widths[side + 1] < heading) {
            widths[side] = heading - 2 - widths[side + 1];
        }
    }

    std::string out;
    for (const Row& row : rows) {
        std::string line =
            row.label.empty() ? Padded("", labelWidth) : Padded(row.label + " ", labelWidth, '.');
        if (&row == &rows.front()) {
            line += "  " + Padded(row.cells[0], widths[0] + 2 + widths[1]);
            line += "    " + row.cells[2];
        } else {
            for (std::size_t c = 0; c < widths.size(); ++c) {
                line += (c == 2 ? "    " : "  ") + Padded(row.cells[c], widths[c]);
            }
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\n";
    }
    return out;
}

}  // namespace velmora::cli
