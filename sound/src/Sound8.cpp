#include <qxsound/Sound8.h>

namespace qxsound {

bool Sound8::Load(const std::string&) { return false; }
bool Sound8::Play() { return false; }
bool Sound8::Pause() { return false; }
bool Sound8::Stop_() { return false; }
CONST_QX_PLAYSTATE Sound8::PlayState() const { return QX_PLAYSTATE_UNDEFINED; }
CONST_QX_SOUNDTYPE Sound8::Type_() const { return QX_SOUNDTYPE_UNDEFINED; }
int32_t Sound8::Volume() const { return 0; }
void Sound8::Volume(int32_t) {}

}  // namespace qxsound
