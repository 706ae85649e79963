// Reads the figures back out of a generated page: the cell texts of the first table after a
// heading, row by row, with character references undone.
#pragma once
#include <string>
#include <vector>

namespace pagetest {

inline std::string unescape(std::string text) {
    const std::pair<const char*, const char*> refs[] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [ref, ch] : refs) {
        for (std::size_t at = text.find(ref); at != std::string::npos; at = text.find(ref, at + 1))
            text.replace(at, std::char_traits<char>::length(ref), ch);
    }
    return text;
}

inline std::vector<std::vector<std::string>> tableAfter(const std::string& page, const std::string& heading) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = page.find(">" + heading + "<");
    if (at == std::string::npos) return rows;
    const std::size_t end = page.find("</table>", at);
    for (at = page.find("<tr>", at); at < end; at = page.find("<tr>", at + 1)) {
        std::vector<std::string> cells;
        const std::size_t rowEnd = page.find("</tr>", at);
        for (std::size_t cell = page.find("<td", at); cell < rowEnd; cell = page.find("<td", cell + 1)) {
            const std::size_t open = page.find('>', cell) + 1;
            cells.push_back(unescape(page.substr(open, page.find("</td>", open) - open)));
        }
        if (!cells.empty()) rows.push_back(cells);  // the header row has no data cells
    }
    return rows;
}

}  // namespace pagetest
