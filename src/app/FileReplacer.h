// The replacement in a file's own encoding: the find and replacement texts reach each file as its
// encoding writes them, and everything outside the matches keeps its bytes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/TextEncoding.h"
#include "app/TextReplacer.h"

class FileReplacer {
  public:
    enum class Outcome {
        kMatch,                 // Rewrite may follow
        kNoMatch,               // also for a find text the file's encoding cannot hold
        kBinary,                // a NUL in a file without a byte-order mark
        kInvalidUtf8,           // a UTF-8 mark before bytes that are no UTF-8 text
        kInvalidUtf16,          // a UTF-16 mark before units that are no UTF-16 text
        kUnwritableInCodePage,  // a match in an ANSI file that cannot hold the replacement
        kUnwritableInEncoding,  // a match in a UTF file that cannot hold the replacement
    };

    // ansiUpperCase folds the bytes of ANSI files when the search ignores case.
    FileReplacer(std::wstring find, std::wstring replacement, bool caseSensitive,
                 bool wholeWordsOnly, const FoldTable& ansiUpperCase);
    ~FileReplacer();
    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;

    // Recognises the encoding of a file's bytes and looks for the first match in its text. The
    // bytes must stay as they are until Rewrite.
    Outcome Examine(std::string_view bytes);

    // Writes the new content of the file that Examine last found a match in: its byte-order mark
    // as it was, then its text with every match replaced and CR LF after every line, all in the
    // file's encoding. Returns the number of replacements.
    size_t Rewrite(ByteSink& sink);

  private:
    template <class Replacer>
    struct ForEncoding {
        template <class... Args>
        explicit ForEncoding(bool writable, Args&&... args)
            : replacer(std::forward<Args>(args)...), writable(writable) {}

        Replacer replacer;
        bool writable;  // whether the encoding holds the replacement
    };
    using Narrow = ForEncoding<TextReplacer>;
    using Wide = ForEncoding<WideTextReplacer>;

    enum class Utf8Route { kBytes, kFoldedBytes, kUnits };

    const WideFoldTable& UpperCase();
    Utf8Route RouteForUtf8();
    const Narrow& NarrowReplacer(TextEncoding encoding);
    const Wide& WideReplacer();
    Outcome ExamineNarrow(std::string_view search, std::string_view text);
    Outcome ExamineWide(std::u16string_view text);

    std::wstring find_, replacement_;
    bool caseSensitive_, wholeWordsOnly_;
    FoldTable ansiUpperCase_;
    std::unique_ptr<WideFoldTable> upperCase_;  // of UTF-16 code units, made when first needed
    std::optional<Utf8Route> utf8Route_;
    std::optional<Narrow> ansi_, utf8_;
    std::unique_ptr<Wide> wide_;  // UTF-16 files, and UTF-8 ones whose case folding needs it

    // The file last examined.
    TextEncoding encoding_ = TextEncoding::kAnsi;
    std::string_view mark_;
    const Narrow* narrow_ = nullptr;              // or the text is in units_
    std::string_view narrowSearch_, narrowText_;  // the text in its search form and as it is
    ByteBuffer folded_;
    std::u16string_view wideText_;
    UnitBuffer units_;
    size_t firstMatch_ = 0;
};
