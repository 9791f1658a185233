// The platform-neutral part of the content list store: a whole file's text to a map of records,
// and the names derived from the list's path. The Windows store and the peer kit's writer share
// these, so both read the same records and take the same lock.
#pragma once

#include "contentlist/ContentRecord.h"
#include "contentlist/ContentRecordMap.h"
#include "framework/CodePage.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// A list larger than this is taken for unreadable, by the store and by the peer kit's writer alike:
// any other process may write the file, and reading it must not cost unbounded memory and time.
constexpr std::size_t kMaxContentListBytes = 64u * 1024 * 1024;

// Called once per line with an empty record (empty texts, Number 0) and an empty key.
using ContentLineParser = std::function<bool(const char* line, std::string& key, ContentRecord& record)>;

// How a text's lines end: as a text-mode stream of the C runtime delivers them (LF), or as its raw
// bytes hold them (a CR right before an LF belongs to the line end, and a Ctrl-Z, 0x1A, ends the text).
enum class LineEnds
{
    Stream,
    RawBytes,
};

// Cuts a text that arrives in pieces into lines, as ParseContentListLines reads them, and hands each
// to onLine (without its line end) until onLine refuses one. Holds one line at a time, however long
// the text.
class CContentLineCutter
{
  public:
    using LineHandler = std::function<bool(const std::string& line)>;

    CContentLineCutter(LineEnds ends, LineHandler onLine);
    // Once a line was refused, or a Ctrl-Z ended a text of raw bytes, the pieces after it are ignored.
    void Feed(std::string_view piece);
    // The text ends: a last line without a line end is handed over too. False when a line was
    // refused. Feed no more after it.
    bool Finish();

  private:
    bool EndLine(bool atLineFeed);

    LineEnds m_ends;
    LineHandler m_onLine;
    std::string m_line;
    bool m_bRefused = false;
    bool m_bEnded = false;
};

// text as a text-mode stream delivers it: lines end at LF, the last one needs none, and nothing
// follows the last LF. Each line is parsed and stored, the last line of a key winning. Stops at the
// first line the parser rejects (an empty line included) and returns false; the records of the
// lines before it stay in the map.
bool ParseContentListLines(std::string_view text, const ContentLineParser& parseLine,
                           CContentRecordMap& records);

// The file's raw bytes parsed with ParseLine, as the store loads them on Windows through a text-mode
// stream of the C runtime: each CR LF pair counts as LF, and a Ctrl-Z (0x1A) ends the text.
bool ParseContentListText(const std::string& bytes, const CCodePage& codePage, CContentRecordMap& records);

// The name of ContentListLock for a path: every backslash turned into a forward slash. Like every
// scan of a path, it steps over double-byte characters whole, so a Shift-JIS trail byte 0x5C stays.
std::string ContentListLockName(const std::string& path, const CCodePage& codePage);

// The folder part of a path with its separator ("C:\a\" for "C:\a\list.txt"); "C:" for "C:list.txt"
// and ".\" for a bare name.
std::string FolderOfPath(const std::string& path, const CCodePage& codePage);
