#include "files/list/ThumbnailBoxes.h"

namespace files {

namespace {

constexpr int kListIconSide = 68;
constexpr int kDetailsWidth = 300;
constexpr int kDetailsHeight = 177;
constexpr int kDetailsLeftPadding = 12;
constexpr int kUploadSide = 160;
constexpr SIZE kUploadArea = {465, 170};

// The wider side fills the box's width, else the height fills its height; a
// picture of unknown (or nonsensical) size takes the whole box.
FittedBox FitInto(int width, int height, int boxWidth, int boxHeight) {
  FittedBox box{boxWidth, boxHeight};
  if (width <= 0 || height <= 0) return box;
  if (width > height) {
    box.height = height * boxWidth / width;
  } else {
    box.width = width * boxHeight / height;
  }
  return box;
}

}  // namespace

FittedBox ListIconBox(int thumbWidth, int thumbHeight) {
  FittedBox box = FitInto(thumbWidth, thumbHeight, kListIconSide, kListIconSide);
  box.padding = {(kListIconSide - box.width) / 2, (kListIconSide - box.height) / 2, 0, 0};
  return box;
}

FittedBox DetailsThumbnailBox(int thumbWidth, int thumbHeight) {
  FittedBox box = FitInto(thumbWidth, thumbHeight, kDetailsWidth, kDetailsHeight);
  box.padding.left = box.width == kDetailsWidth ? kDetailsLeftPadding : (kDetailsWidth - box.width) / 2;
  box.padding.top = box.height == kDetailsHeight ? 0 : (kDetailsHeight - box.height) / 2;
  return box;
}

FittedBox UploadPreviewBox(int imageWidth, int imageHeight) {
  FittedBox box = FitInto(imageWidth, imageHeight, kUploadSide, kUploadSide);
  box.padding = {(kUploadArea.cx - box.width) / 2, (kUploadArea.cy - box.height) / 2, 0, 0};
  return box;
}

}  // namespace files
