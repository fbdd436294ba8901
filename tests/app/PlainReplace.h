// The replacement done the slow, plain way, as a model for the engine: split into lines, then per
// line search the rest again after each candidate, copying what is left every time.
#pragma once

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

template <class Char>
bool IsPlainWordChar(Char c) {
    const auto u = static_cast<std::make_unsigned_t<Char>>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_';
}

// fold gives the form of a character that case-insensitive comparison uses (itself when case
// counts). Returns the text with CR LF after every line, and the count of replacements.
template <class Char, class Fold>
std::pair<std::basic_string<Char>, size_t> ReplaceLineByLine(
    const std::basic_string<Char>& text, const std::basic_string<Char>& find,
    const std::basic_string<Char>& replacement, bool wholeWords, Fold fold) {
    using String = std::basic_string<Char>;
    auto folded = [&](String s) {
        for (Char& c : s) c = fold(c);
        return s;
    };
    std::vector<String> lines;
    String line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) lines.push_back(line);

    const String key = folded(find);
    size_t count = 0;
    String out;
    for (const String& whole : lines) {
        String done, rest = whole, search = folded(whole);
        size_t offset = 0;
        for (size_t at; !key.empty() && (at = search.find(key)) != String::npos;) {
            const size_t start = offset + at, end = start + key.size();
            const bool rejected =
                wholeWords && ((start > 0 && IsPlainWordChar(whole[start - 1])) ||
                               (end < whole.size() && IsPlainWordChar(whole[end])));
            done += rejected ? rest.substr(0, at + key.size()) : rest.substr(0, at) + replacement;
            count += rejected ? 0 : 1;
            rest.erase(0, at + key.size());
            search.erase(0, at + key.size());
            offset = end;
        }
        out += done + rest + Char('\r') + Char('\n');
    }
    return {out, count};
}
