// stb_vorbis's implementation for the Windows build's music (runtime/win32/music_stream_stb.cpp).
#include <stb/stb_vorbis.h>
