// One entry of the content list file; the key is not part of the record.
#pragma once

#include <cstdint>
#include <string>

struct ContentRecord
{
    std::string Text1;       // the path of a partly fetched file, for the conflict check
    std::string Text2;       // kept for the writer; not interpreted here
    std::int32_t Number = 0; // kept for the writer; not interpreted here
};
