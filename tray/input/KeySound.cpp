// The key-click sound, read once into memory so that a key press costs no file access.
// The sound system parses the block it is handed by the sizes written inside it, so
// a damaged file must never reach it: every chunk is checked against the file first.
#include "input/KeySound.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "input/ClickPlayer.h"

static BYTE* s_sound; // a whole, consistent WAVE file, or null

enum {
    RIFF_HEADER_BYTES = 12, // "RIFF", size, "WAVE"
    CHUNK_HEADER_BYTES = 8, // id, size
    PCM_FORMAT_BYTES = 16,  // the smallest format record
    // A click is a few kilobytes; a file this large is no click, and a 64 MiB device
    // should not be asked to keep it.
    MAX_SOUND_BYTES = 1024 * 1024,
};

static DWORD LittleEndian32(const BYTE* p)
{
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

// The sound as it is checked: first the file itself (only chunk headers are read,
// nothing is allocated), then the block read from it, which the file may no longer
// match if it changed meanwhile.
struct WaveSource {
    FILE* file;
    const BYTE* block;
};

static bool ReadAt(const WaveSource& source, DWORD offset, BYTE* buffer, size_t bytes)
{
    if (source.block) {
        memcpy(buffer, source.block + offset, bytes); // the walk keeps offset + bytes inside the block
        return true;
    }
    return fseek(source.file, (long)offset, SEEK_SET) == 0 && fread(buffer, 1, bytes, source.file) == bytes;
}

// A RIFF/WAVE file whose every chunk lies inside the RIFF body, which lies inside
// the file, with a plausible format chunk before its data chunk.
static bool IsConsistentWave(const WaveSource& file, DWORD fileBytes)
{
    BYTE header[RIFF_HEADER_BYTES];
    if (fileBytes < RIFF_HEADER_BYTES || !ReadAt(file, 0, header, sizeof header) ||
        memcmp(header, "RIFF", 4) != 0 || memcmp(header + 8, "WAVE", 4) != 0)
        return false;
    DWORD riffBytes = LittleEndian32(header + 4);
    if (riffBytes < 4 || riffBytes > fileBytes - 8)
        return false;

    DWORD end = 8 + riffBytes; // the body ends here, inside the file
    bool haveFormat = false;
    for (DWORD at = RIFF_HEADER_BYTES; end - at >= CHUNK_HEADER_BYTES;) {
        BYTE chunk[CHUNK_HEADER_BYTES];
        if (!ReadAt(file, at, chunk, sizeof chunk))
            return false;
        DWORD size = LittleEndian32(chunk + 4);
        at += CHUNK_HEADER_BYTES;
        if (size > end - at)
            return false;
        if (memcmp(chunk, "fmt ", 4) == 0) {
            BYTE format[PCM_FORMAT_BYTES];
            if (size < PCM_FORMAT_BYTES || !ReadAt(file, at, format, sizeof format))
                return false;
            WORD channels = (WORD)(format[2] | (format[3] << 8));
            DWORD samplesPerSecond = LittleEndian32(format + 4);
            WORD blockAlign = (WORD)(format[12] | (format[13] << 8));
            if (channels == 0 || samplesPerSecond == 0 || blockAlign == 0)
                return false;
            haveFormat = true;
        } else if (memcmp(chunk, "data", 4) == 0) {
            return haveFormat;
        }
        at += size;
        if ((size & 1) && at < end)
            ++at; // chunks are padded to even sizes
    }
    return false; // no data chunk
}

int LoadKeySound(const WCHAR* path)
{
    FILE* file = _wfopen(path, L"rb");
    if (!file)
        return 0; // a sound already loaded stays
    long bytes = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        bytes = ftell(file);

    FreeKeySound();
    BYTE* block = nullptr;
    if (bytes > 0 && bytes <= MAX_SOUND_BYTES && IsConsistentWave(WaveSource{file, nullptr}, (DWORD)bytes)) {
        block = (BYTE*)malloc((size_t)bytes);
        if (block && (!ReadAt(WaveSource{file, nullptr}, 0, block, (size_t)bytes) ||
                      !IsConsistentWave(WaveSource{nullptr, block}, (DWORD)bytes))) {
            free(block);
            block = nullptr;
        }
    }
    fclose(file);
    s_sound = block;
    if (block)
        StartClickPlayer(block);
    return block ? 1 : 0;
}

void FreeKeySound()
{
    if (!s_sound)
        return;
    // An asynchronous click may still be reading the block: the player stops it
    // first. When the sound system holds the player (the system's loader held), the
    // block may still be read and is left.
    if (StopClickPlayer())
        free(s_sound);
    s_sound = nullptr;
}

int PlayKeySound(HINSTANCE instance)
{
    // Played by the player's thread: the listener never waits on the sound system.
    if (!s_sound)
        return 0;
    return RequestClick(instance) ? 1 : 0;
}
