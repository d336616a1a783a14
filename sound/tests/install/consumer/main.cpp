// A host that only sees the installed headers and library.
#include <qxsound/SoundEngine8.h>
#include <qxsound/modGlobal.h>

#include <iostream>
#include <memory>

int main() {
    auto engine = std::make_shared<qxsound::SoundEngine8>();
    std::cout << "QXSound " << engine->Version() << " " << qxsound::FileExtension("a/b.wav") << "\n";
    return engine->Focus() == qxsound::QX_FOCUS_NORMAL ? 0 : 1;
}
