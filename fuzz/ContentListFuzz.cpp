// Content list files as another process may leave them: whole files through the store's parse,
// and single lines through the tokenizer, ParseLine and ParseNumber, in cp932 and cp1252.
#include "contentlist/ContentListText.h"
#include "contentlist/LineFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (unsigned codePage : {932u, 1252u})
    {
        const CCodePage& page = TableCodePage(codePage);
        CContentRecordMap records;
        ParseContentListText(bytes, page, records);

        const std::string line = bytes.substr(0, bytes.find('\0'));
        std::string key;
        ContentRecord record;
        if (ParseLine(line.c_str(), key, &record, page))
        {
            // What was read can be written again.
            std::string written = FormatLineText(key.c_str(), record);
            if (written.size() < 2 || written.compare(written.size() - 2, 2, "\r\n") != 0)
                __builtin_trap();
        }
        std::int32_t number = 0;
        ParseNumber(line, number, page);
    }
    return 0;
}
