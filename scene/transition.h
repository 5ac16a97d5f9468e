// Scene pictures: the outgoing and the current picture and the twelve transitions between them,
// counted in drawn frames.
#pragma once
#include "platform/video/texture.h"

constexpr int kCanvasWidth = 800;   // pixels
constexpr int kCanvasHeight = 600;  // pixels
constexpr int kTransitionKinds = 12;

// The two picture layers and the running transition. `transition_active` lives in common/flags.h.
struct SceneTransition {
    Texture* previous_image = nullptr;  // outgoing picture, 800x600 X8R8G8B8; owned
    Texture* current_image = nullptr;   // picture now shown, same size and format; owned
    int width = 0;                      // pixels, 800 once the textures exist
    int height = 0;                     // pixels, 600 once the textures exist
    int transition_kind = 0;            // 0..11, index into the kind table
    int transition_counter = -1;        // countdown value; below 0 at rest
};

extern SceneTransition scene_transition;

// Makes the outgoing and current scene pictures, 800x600 X8R8G8B8. 0, or -1 after a message.
int create_scene_textures();
// Releases them (null-safe).
void release_scene_textures();

// The kind whose Shift-JIS name equals name byte for byte; 0 (instant) for null or unknown.
int transition_kind_from_name(const char* name);

// Starts a transition (name may be null) from the picture shown to "data\<image_name>".
// 0 when the new picture is in current_image, -1 when it could not be loaded (the transition
// then plays from the old picture to itself).
int show_scene_image(const char* transition_name, const char* image_name);

// Draws both pictures as the running transition's counter says and steps it. Returns 0.
int draw_scene_image();
