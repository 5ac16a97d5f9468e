// The textures made at start-up for the scene pictures and the speech balloon.
#pragma once
#include "platform/texture.h"

// Creates one start-up texture; on failure shows the start-up message for the cause. 0 or -1.
int create_or_report(int width, int height, PixelFormat format, Texture** out);

// The outgoing and current scene pictures, 800x600 X8R8G8B8. 0, or -1 after a message.
int create_scene_textures();
// The balloon's text, scratch and panel textures, 792x196. 0, or -1 after a message.
int create_balloon_textures();
// Release them (null-safe), scene pictures first.
void release_scene_textures();
void release_balloon_textures();
