// Modal information dialogs: a picture, a line of text and the OK button in a modal window.
#include "platform/window/dialog.h"

#include <SDL.h>

#include <string>

#include "platform/text/sjis.h"
#include "platform/window/dialog_layout.h"
#include "platform/window/modal.h"
#include "platform/window/sdl_shared.h"

namespace {

int answer = 0;  // test seam; user-interface thread only

// The dialog's own textures on the modal window's renderer.
struct DialogTextures {
    SDL_Texture* picture = nullptr;
    SDL_Texture* text = nullptr;
    int text_w = 0, text_h = 0;
    ~DialogTextures() {
        for (SDL_Texture* t : {picture, text})
            if (t) SDL_DestroyTexture(t);
    }
};

void paint(ModalWindow* m, bool pressed, void* context) {
    const DialogTextures& d = *static_cast<const DialogTextures*>(context);
    SDL_Renderer* r = m->renderer;
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(r, 0xF0, 0xF0, 0xF0, 0xFF);
    SDL_RenderClear(r);
    if (d.picture) {
        SDL_Rect dst{kDialogMargin, kDialogMargin, kDialogPictureWidth, kDialogPictureHeight};
        SDL_QueryTexture(d.picture, nullptr, nullptr, &dst.w, &dst.h);
        SDL_RenderCopy(r, d.picture, nullptr, &dst);
    }
    if (d.text) {
        SDL_Rect dst{kDialogMargin, m->button.y + (kDialogButtonHeight - d.text_h) / 2, d.text_w, d.text_h};
        SDL_SetTextureColorMod(d.text, 0, 0, 0);
        SDL_RenderCopy(r, d.text, nullptr, &dst);
    }
    modal_paint_button(m, pressed);
    SDL_RenderPresent(r);
}

SDL_Texture* make(SDL_Renderer* r, const Texture* t, int* w, int* h) {
    if (!t) return nullptr;
    *w = t->width;
    *h = t->height;
    return sdl_make_texture(r, t);
}

}  // namespace

void dialog_answer_with(int result) { answer = result; }

int dialog_run(const DialogContent& content, const DialogHooks& hooks) {
    if (answer != 0) return answer;
    if (!sdl_video_up()) return -1;
    std::string title = sjis_to_utf8(content.title_sjis ? content.title_sjis : "");
    ModalWindow m;
    if (!modal_open(&m, title.c_str(), kDialogWidth, kDialogHeight)) return -1;
    m.button = {kDialogWidth - kDialogMargin - kDialogButtonWidth, kDialogPictureHeight + 2 * kDialogMargin,
                kDialogButtonWidth, kDialogButtonHeight};
    DialogTextures d;
    int picture_w = 0, picture_h = 0;
    d.picture = make(m.renderer, content.picture, &picture_w, &picture_h);
    d.text = make(m.renderer, content.text, &d.text_w, &d.text_h);
    m.ok = make(m.renderer, content.ok_label, &m.ok_w, &m.ok_h);
    return modal_run(&m, paint, &d, hooks);
}
