#include "player/shape.hpp"

#include <memory>
#include <optional>

#include "forms/picture.hpp"
#include "player/Region.hpp"
#include "runtime/error.hpp"

namespace player {

void ShapeWindow(forms::Form& form, const std::string& picturePath) {
    runtime::Steps step;
    std::optional<forms::Picture> picture;
    step([&] { picture = forms::LoadPicture(picturePath); });
    auto region = std::make_unique<Region>();
    std::int32_t key = 1;
    step([&] { region->ScanPicture(picture ? *picture : forms::Picture{}, key); });
    step([&] { region->OffsetHeader(form); });
    step([&] { form.setPicture(picture ? *picture : forms::Picture{}); });
    step([&] { region->ApplyRgn(form.hWnd()); });
    region.reset();
}

}  // namespace player
