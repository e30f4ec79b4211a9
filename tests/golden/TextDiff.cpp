#include "TextDiff.h"

#include <algorithm>
#include <cstddef>

namespace kestrel::golden {

namespace {

enum class Op { keep, remove, add };

struct Step {
    Op op;
    std::size_t expected;  // index into the expected lines (keep, remove)
    std::size_t actual;    // index into the actual lines (keep, add)
};

// Longest common subsequence over the lines between a common head and tail.
// Outputs of golden cases are a few hundred lines, so the quadratic table is
// small; past a limit the middle is shown as removed and added whole.
std::vector<Step> script(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    const std::size_t n = a.size() - head - tail;
    const std::size_t m = b.size() - head - tail;

    std::vector<Step> steps;
    for (std::size_t i = 0; i < head; ++i) steps.push_back({Op::keep, i, i});
    constexpr std::size_t kTableLimit = 16u * 1024u * 1024u;
    if (n * m <= kTableLimit) {
        std::vector<std::vector<unsigned>> table(n + 1, std::vector<unsigned>(m + 1, 0));
        for (std::size_t i = n; i-- > 0;)
            for (std::size_t j = m; j-- > 0;)
                table[i][j] =
                    a[head + i] == b[head + j] ? table[i + 1][j + 1] + 1 : std::max(table[i + 1][j], table[i][j + 1]);
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && a[head + i] == b[head + j]) {
                steps.push_back({Op::keep, head + i++, head + j++});
            } else if (i < n && (j == m || table[i + 1][j] >= table[i][j + 1])) {
                steps.push_back({Op::remove, head + i++, head + j});
            } else {
                steps.push_back({Op::add, head + i, head + j++});
            }
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) steps.push_back({Op::remove, head + i, head});
        for (std::size_t j = 0; j < m; ++j) steps.push_back({Op::add, head + n, head + j});
    }
    for (std::size_t i = 0; i < tail; ++i) steps.push_back({Op::keep, head + n + i, head + m + i});
    return steps;
}

}  // namespace

std::vector<std::string> TextDiff::lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(std::move(line));
        start = end + 1;
    }
    return out;
}

bool TextDiff::same(const std::string& expected, const std::string& actual) { return lines(expected) == lines(actual); }

std::string TextDiff::unified(const std::string& expected, const std::string& actual, const std::string& expectedName,
                              const std::string& actualName, int context) {
    const std::vector<std::string> a = lines(expected);
    const std::vector<std::string> b = lines(actual);
    if (a == b) return "";
    const std::vector<Step> steps = script(a, b);
    const auto reach = static_cast<std::size_t>(context < 0 ? 0 : context);

    std::string out = "--- " + expectedName + "\n+++ " + actualName + "\n";
    std::size_t k = 0;
    while (k < steps.size()) {
        // Next change, then the hunk around it (joining changes whose
        // context would touch).
        while (k < steps.size() && steps[k].op == Op::keep) ++k;
        if (k == steps.size()) break;
        std::size_t first = k >= reach ? k - reach : 0;
        std::size_t last = k;
        std::size_t quiet = 0;
        for (std::size_t s = k; s < steps.size(); ++s) {
            if (steps[s].op == Op::keep) {
                if (++quiet > 2 * reach) break;
            } else {
                quiet = 0;
                last = s;
            }
        }
        const std::size_t end = std::min(steps.size(), last + 1 + reach);

        std::size_t aCount = 0;
        std::size_t bCount = 0;
        for (std::size_t s = first; s < end; ++s) {
            if (steps[s].op != Op::add) ++aCount;
            if (steps[s].op != Op::remove) ++bCount;
        }
        out += "@@ -" + std::to_string(steps[first].expected + (aCount ? 1 : 0)) + "," + std::to_string(aCount) + " +" +
               std::to_string(steps[first].actual + (bCount ? 1 : 0)) + "," + std::to_string(bCount) + " @@\n";
        for (std::size_t s = first; s < end; ++s) {
            switch (steps[s].op) {
            case Op::keep: out += " " + a[steps[s].expected] + "\n"; break;
            case Op::remove: out += "-" + a[steps[s].expected] + "\n"; break;
            case Op::add: out += "+" + b[steps[s].actual] + "\n"; break;
            }
        }
        k = end;
    }
    return out;
}

}  // namespace kestrel::golden
