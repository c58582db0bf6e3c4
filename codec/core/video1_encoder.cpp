#include "video1.h"
namespace video1 {
bool IsCodableSize(int width, int height) { return width > 0 && height > 0 && width % 4 == 0 && height % 4 == 0; }
size_t MaxEncodedSize(int width, int height) { return 18u * (width / 4) * (height / 4) + 2; }
}
