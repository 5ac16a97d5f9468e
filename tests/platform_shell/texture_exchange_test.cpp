// Exchanging two textures' pixels: only between textures of one size and format, never while
// either is locked, and both count as changed so that the renderer uploads them again.
#include <gtest/gtest.h>

#include "platform/video/texture.h"

namespace {

struct Owned {
    Texture* t = nullptr;
    ~Owned() { texture_release(t); }
};

TEST(TextureExchange, SwapsBuffersOfMatchingTexturesOnly) {
    Owned a, b, small, alpha;
    ASSERT_EQ(texture_create(4, 3, PixelFormat::X8R8G8B8, &a.t), S_OK);
    ASSERT_EQ(texture_create(4, 3, PixelFormat::X8R8G8B8, &b.t), S_OK);
    ASSERT_EQ(texture_create(3, 4, PixelFormat::X8R8G8B8, &small.t), S_OK);
    ASSERT_EQ(texture_create(4, 3, PixelFormat::A8R8G8B8, &alpha.t), S_OK);
    a.t->pixels[0] = 0xAAAAAA;
    b.t->pixels[0] = 0xBBBBBB;
    const uint32_t va = a.t->version, vb = b.t->version;

    EXPECT_EQ(texture_exchange_pixels(a.t, b.t), S_OK);
    EXPECT_EQ(a.t->pixels[0], 0xBBBBBBu);
    EXPECT_EQ(b.t->pixels[0], 0xAAAAAAu);
    EXPECT_GT(a.t->version, va) << "changed pixels are uploaded again";
    EXPECT_GT(b.t->version, vb);
    EXPECT_FALSE(a.t->locked);
    EXPECT_FALSE(b.t->locked);

    uint32_t* before = a.t->pixels;
    EXPECT_EQ(texture_exchange_pixels(a.t, small.t), D3DERR_INVALIDCALL) << "another size";
    EXPECT_EQ(texture_exchange_pixels(a.t, alpha.t), D3DERR_INVALIDCALL) << "another format";
    EXPECT_EQ(texture_exchange_pixels(a.t, a.t), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture_exchange_pixels(a.t, nullptr), D3DERR_INVALIDCALL);
    LockedRect r{};
    ASSERT_EQ(texture_lock(b.t, &r), S_OK);
    EXPECT_EQ(texture_exchange_pixels(a.t, b.t), D3DERR_INVALIDCALL) << "b is locked";
    EXPECT_FALSE(a.t->locked) << "a failed exchange leaves no lock behind";
    texture_unlock(b.t);
    texture_fail_next_locks(1);
    EXPECT_EQ(texture_exchange_pixels(a.t, b.t), D3DERR_INVALIDCALL);
    EXPECT_EQ(a.t->pixels, before) << "no failed exchange moved anything";
}

}  // namespace

namespace {

bool all_zero(const Texture* t) {
    for (int i = 0; i < t->width * t->height; ++i)
        if (t->pixels[i] != 0) return false;
    return true;
}

// A full picture's buffer, released, serves the next texture of its size; a texture asked for
// zero pixels still gets zero pixels, and a texture of another size never gets it.
TEST(TextureBuffers, LargeBuffersAreReusedAndStillHandedOutZeroed) {
    texture_free_spare_buffers();
    Owned first;
    ASSERT_EQ(texture_create(800, 600, PixelFormat::X8R8G8B8, &first.t), S_OK);
    uint32_t* buffer = first.t->pixels;
    for (int i = 0; i < 800 * 600; ++i) buffer[i] = 0x555555;
    texture_release(first.t);

    Owned other;
    ASSERT_EQ(texture_create(640, 480, PixelFormat::X8R8G8B8, &other.t), S_OK);
    EXPECT_NE(other.t->pixels, buffer) << "a buffer of another size";
    EXPECT_TRUE(all_zero(other.t));

    Owned again;
    ASSERT_EQ(texture_create(800, 600, PixelFormat::A8R8G8B8, &again.t), S_OK);
    EXPECT_EQ(again.t->pixels, buffer) << "the released buffer is used again";
    EXPECT_TRUE(all_zero(again.t)) << "the old picture does not show through";
    EXPECT_GT(again.t->version, other.t->version) << "a version no texture had before, though the buffer is reused";

    // Small textures are not kept: a spare place is not spent on them.
    Owned small;
    ASSERT_EQ(texture_create(16, 16, PixelFormat::X8R8G8B8, &small.t), S_OK);
    texture_release(small.t);
    texture_release(again.t);
    texture_release(other.t);
    Owned big, mid;
    ASSERT_EQ(texture_create(800, 600, PixelFormat::X8R8G8B8, &big.t), S_OK);
    ASSERT_EQ(texture_create(640, 480, PixelFormat::X8R8G8B8, &mid.t), S_OK);
    EXPECT_EQ(big.t->pixels, buffer) << "both large buffers were kept";
    EXPECT_TRUE(all_zero(big.t));
    EXPECT_TRUE(all_zero(mid.t));
    texture_free_spare_buffers();
}

}  // namespace
