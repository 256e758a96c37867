#include "skin_pictures.hpp"

#include "runtime/app.hpp"
#include "runtime/error.hpp"

namespace player {

forms::Picture SkinPicture(const std::string& name) {
    try {
        return forms::LoadPicture(runtime::App::Path() + "/skin/" + name);
    } catch (const runtime::Error&) {
        return {};
    }
}

}  // namespace player
