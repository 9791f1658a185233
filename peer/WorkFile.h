// The work file's framing: a 32-bit little-endian command code and the command's record.
// Platform-neutral so that it can be tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class WorkFileAction
{
    LeaveInPlace, // no command: the file stays, nothing is posted
    Discard,      // a command that could not be read whole: the file goes, nothing is posted
    Post,         // the file goes and the command is posted with its payload
};

struct DecodedWorkFile
{
    WorkFileAction action = WorkFileAction::LeaveInPlace;
    std::uint32_t commandCode = 0;
    std::vector<std::uint8_t> payload;
    // The writer still held the file open: it stays, and is tried again without a new signal.
    bool heldOpen = false;
    // The file is gone once read (its attributes could be reset and it could be deleted).
    bool removed = false;
};

// bytes: what was read from the start of the file. whole: false when the file was longer than
// what was read (too large to take in), which makes a valid command a failed read.
DecodedWorkFile DecodeWorkFile(const std::uint8_t* bytes, std::size_t size, bool whole);
