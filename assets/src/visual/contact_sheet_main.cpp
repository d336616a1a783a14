// orvane_contact_sheet DATA_DIRECTORY OUTPUT.png [NAME_FILTER]
// orvane_contact_sheet --png IMAGE OUTPUT.png     (one image at full size, for close review)
#include "ContactSheet.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstring>

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--png") == 0) {
        int w = 0, h = 0, comp = 0;
        unsigned char* data = stbi_load(argv[2], &w, &h, &comp, 3);
        const bool ok = data && stbi_write_png(argv[3], w, h, 3, data, w * 3);
        stbi_image_free(data);
        if (!ok) std::cerr << "orvane_contact_sheet: cannot convert " << argv[2] << '\n';
        return ok ? 0 : 1;
    }
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: " << argv[0] << " DATA_DIRECTORY OUTPUT.png [NAME_FILTER]\n";
        return 2;
    }
    try {
        const int n = orvane::assets::visual::WriteContactSheet(argv[1], argv[2], argc == 4 ? argv[3] : "");
        std::cout << "contact sheet of " << n << " images: " << argv[2] << '\n';
    } catch (const std::exception& e) {
        std::cerr << "orvane_contact_sheet: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
