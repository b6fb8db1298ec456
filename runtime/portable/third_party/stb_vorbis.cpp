// stb_vorbis's implementation for the Windows and browser builds' music (runtime/portable/music_stream.cpp).
#include <stb/stb_vorbis.h>
