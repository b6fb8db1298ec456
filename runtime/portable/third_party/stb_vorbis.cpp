// stb_vorbis's implementation for the Windows and browser builds' music (runtime/portable/music_stream_stb.cpp).
#include <stb/stb_vorbis.h>
