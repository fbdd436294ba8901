#include "app/FileReplacer.h"

#include <algorithm>

#include <windows.h>

namespace {

constexpr size_t kOutputChunk = size_t(1) << 20;

size_t OutputCapacity(size_t bytes) { return std::min(kOutputChunk, bytes + bytes / 8 + 64); }

bool IsAscii(std::wstring_view text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

}  // namespace

FileReplacer::FileReplacer(std::wstring find, std::wstring replacement, bool caseSensitive,
                           bool wholeWordsOnly, const FoldTable& ansiUpperCase)
    : find_(std::move(find)),
      replacement_(std::move(replacement)),
      caseSensitive_(caseSensitive),
      wholeWordsOnly_(wholeWordsOnly),
      ansiUpperCase_(ansiUpperCase) {}

FileReplacer::~FileReplacer() = default;

const WideFoldTable& FileReplacer::UpperCase() {
    if (!upperCase_) upperCase_ = UnicodeUpperCaseTable();
    return *upperCase_;
}

// UTF-8 files are searched by their bytes when case matters or when only ASCII letters fold (no
// other letter folds to one of those). Other letters fold as UTF-16 code units do: in a folded
// copy of the bytes when every character that folds like one of the find text's has the length
// of its fold; in UTF-16 otherwise.
FileReplacer::Utf8Route FileReplacer::RouteForUtf8() {
    if (!utf8Route_) {
        const std::optional<std::u16string> find = ToUtf16(find_);
        if (caseSensitive_ || IsAscii(find_)) {
            utf8Route_ = Utf8Route::kBytes;
        } else if (find && FoldsAtEqualLength(*find, UpperCase())) {
            utf8Route_ = Utf8Route::kFoldedBytes;
        } else {
            utf8Route_ = Utf8Route::kUnits;
        }
    }
    return *utf8Route_;
}

// The texts as the ANSI code page or UTF-8 has them. A find text the code page cannot hold is
// searched as an empty text, which is never found.
const FileReplacer::Narrow& FileReplacer::NarrowReplacer(TextEncoding encoding) {
    const bool ansi = encoding == TextEncoding::kAnsi;
    std::optional<Narrow>& slot = ansi ? ansi_ : utf8_;
    if (!slot) {
        const unsigned codePage = ansi ? CP_ACP : CP_UTF8;
        std::optional<std::string> find = ToCodePage(find_, codePage);
        const std::optional<std::string> replacement = ToCodePage(replacement_, codePage);
        const bool folded = !ansi && RouteForUtf8() == Utf8Route::kFoldedBytes;
        if (find && folded) {
            ByteBuffer buffer;
            find = std::string(FoldUtf8(*find, UpperCase(), buffer));
        }
        slot.emplace(replacement.has_value(), find.value_or(""), replacement.value_or(""),
                     caseSensitive_ || folded, wholeWordsOnly_,
                     ansi ? ansiUpperCase_ : AsciiUpperCaseTable());
    }
    return *slot;
}

const FileReplacer::Wide& FileReplacer::WideReplacer() {
    if (!wide_) {
        const std::optional<std::u16string> find = ToUtf16(find_);
        const std::optional<std::u16string> replacement = ToUtf16(replacement_);
        wide_ = std::make_unique<Wide>(replacement.has_value(), find.value_or(u""),
                                       replacement.value_or(u""), caseSensitive_, wholeWordsOnly_,
                                       UpperCase());
    }
    return *wide_;
}

FileReplacer::Outcome FileReplacer::Examine(std::string_view bytes) {
    const ByteOrderMark mark = ReadByteOrderMark(bytes);
    const std::string_view text = bytes.substr(mark.size);
    mark_ = bytes.substr(0, mark.size);
    encoding_ = mark.encoding;
    switch (mark.encoding) {
        case TextEncoding::kUtf16Le:
        case TextEncoding::kUtf16Be: {
            const auto units = ReadUtf16(text, encoding_ == TextEncoding::kUtf16Be, units_);
            return units ? ExamineWide(*units) : Outcome::kInvalidUtf16;
        }
        case TextEncoding::kUtf8:
            if (ScanUtf8(text) == Utf8Scan::kInvalid) return Outcome::kInvalidUtf8;
            break;
        case TextEncoding::kAnsi:
            // Without a mark: UTF-8 when the bytes can only be that; text in the ANSI code page
            // otherwise, unless a NUL shows it is no text at all.
            switch (ScanUtf8(text)) {
                case Utf8Scan::kUtf8:
                    encoding_ = TextEncoding::kUtf8;
                    break;
                case Utf8Scan::kInvalid:
                    if (ContainsNul(text)) return Outcome::kBinary;
                    break;
                case Utf8Scan::kAscii:
                    break;
            }
            break;
    }
    if (encoding_ == TextEncoding::kUtf8) {
        switch (RouteForUtf8()) {
            case Utf8Route::kBytes:
                break;
            case Utf8Route::kFoldedBytes:
                return ExamineNarrow(FoldUtf8(text, UpperCase(), folded_), text);
            case Utf8Route::kUnits:
                return ExamineWide(DecodeUtf8(text, units_));
        }
    }
    return ExamineNarrow(text, text);
}

FileReplacer::Outcome FileReplacer::ExamineNarrow(std::string_view search, std::string_view text) {
    narrow_ = &NarrowReplacer(encoding_);
    narrowSearch_ = search;
    narrowText_ = text;
    firstMatch_ = narrow_->replacer.NextMatch(search, 0);
    if (firstMatch_ == TextReplacer::npos) return Outcome::kNoMatch;
    if (narrow_->writable) return Outcome::kMatch;
    return encoding_ == TextEncoding::kAnsi ? Outcome::kUnwritableInCodePage
                                            : Outcome::kUnwritableInEncoding;
}

FileReplacer::Outcome FileReplacer::ExamineWide(std::u16string_view text) {
    const Wide& wide = WideReplacer();
    narrow_ = nullptr;
    wideText_ = text;
    firstMatch_ = wide.replacer.NextMatch(text, 0);
    if (firstMatch_ == WideTextReplacer::npos) return Outcome::kNoMatch;
    return wide.writable ? Outcome::kMatch : Outcome::kUnwritableInEncoding;
}

size_t FileReplacer::Rewrite(ByteSink& sink) {
    if (!mark_.empty()) sink.Write(mark_);
    if (narrow_ != nullptr) {
        OutputBuffer out(sink, OutputCapacity(narrowText_.size()));
        return narrow_->replacer.Rewrite(narrowSearch_, narrowText_, firstMatch_, out);
    }
    // The units are native (little-endian) UTF-16; other encodings are made on the way out.
    Utf16Encoder encoder(sink, encoding_);
    ByteSink& target = encoding_ == TextEncoding::kUtf16Le ? sink : encoder;
    OutputBuffer out(target, OutputCapacity(2 * wideText_.size()));
    return wide_->replacer.Rewrite(wideText_, firstMatch_, out);
}
