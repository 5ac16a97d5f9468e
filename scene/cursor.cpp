// The game's own mouse pointer: a 24x24 image from the data folder, drawn centred on the live
// pointer position every frame.
#include <string>

#include "common/flags.h"
#include "common/messages.h"
#include "platform/image/image.h"
#include "platform/video/sprite.h"
#include "scenario/data_file.h"
#include "scenario/load_reasons.h"
#include "scene/hotspot.h"

GameCursor game_cursor;

namespace {
PointerPositionQuery pointer_query = nullptr;  // user-interface thread only
}  // namespace

void set_pointer_position_query(PointerPositionQuery query) { pointer_query = query; }

int load_cursor() {
    GameCursor& c = game_cursor;
    texture_release(c.cursor_texture);
    c.width = kCursorSize;
    c.height = kCursorSize;
    const int size = read_data_file(kCursorPath);
    if (size <= 0) {
        const FailureText why = data_file_failure_text(kCursorPath, "the pointer picture", "マウスポインタの画像");
        set_failure_cause(why.english, why.japanese);
        show_error(kMsgStartupFailed);
        return -1;
    }
    const HRESULT hr = decode_image_to_texture(data_buffer, static_cast<size_t>(size), c.width, c.height,
                                               PixelFormat::A8R8G8B8, kCursorColourKey, &c.cursor_texture);
    if (failed(hr)) {
        const FailureText why = picture_failure_text(kCursorPath, "the pointer picture", "マウスポインタの画像");
        set_failure_cause(why.english, why.japanese);
        show_creation_failure(hr);
        return -1;
    }
    return 0;
}

void release_cursor() { texture_release(game_cursor.cursor_texture); }

int draw_cursor() {
    if (cursor_in_client == 0) return 0;
    int x = 0;
    int y = 0;
    if (!pointer_query || pointer_query(&x, &y) != 0) return -1;
    const GameCursor& c = game_cursor;
    if (c.cursor_texture)
        batch_draw(c.cursor_texture, nullptr, static_cast<float>(x - c.width / 2),
                   static_cast<float>(y - c.height / 2), 0xFFFFFFFF);
    return 0;
}
