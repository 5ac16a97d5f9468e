// The information dialog's layout, the same in its own window (desktop) and as a box drawn over
// the canvas (page): a picture above an OK button, with margins. Pixels.
#pragma once

constexpr int kDialogMargin = 10;          // around the picture
constexpr int kDialogPictureWidth = 400;   // reserved for the picture
constexpr int kDialogPictureHeight = 300;
constexpr int kDialogButtonWidth = 80;
constexpr int kDialogButtonHeight = 24;
constexpr int kDialogWidth = kDialogPictureWidth + 2 * kDialogMargin;
// Below any title bar: picture, button and their margins.
constexpr int kDialogHeight = kDialogPictureHeight + 3 * kDialogMargin + kDialogButtonHeight + 2;
