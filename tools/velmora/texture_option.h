#pragma once
// --texture of the commands that draw the world: the ground texture a headless canvas gets.

#include <string>

#include "world/render/headless_canvas.h"

// `chosen`, or else terrain.image of the current directory as the viewer finds it (any case;
// none there: grey terrain, no message). A chosen file that is missing, or any file the viewer
// could not read as a picture, leaves the terrain grey with one message on stderr, prefixed by
// `command`.
void UseTextureOption(world::render::HeadlessCanvas& canvas, const std::string& chosen,
                      const std::string& command);
