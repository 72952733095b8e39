// A canvas that records what is drawn on it.
#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"

class FakePicture final : public platform::Picture {
 public:
  FakePicture(int id, int width, int height) : id_(id), width_(width), height_(height) {}
  int Id() const { return id_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }

 private:
  int id_;
  int width_;
  int height_;
};

class FakeCanvas final : public platform::Canvas {
 public:
  struct PictureDraw {
    int id;
    platform::Rect destination;
  };
  struct TextDraw {
    std::wstring text;
    platform::Rect box;
    platform::Rgb colour;
  };

  void DrawPicture(const platform::Picture& picture, const platform::Rect& destination) override {
    pictures.push_back({static_cast<const FakePicture&>(picture).Id(), destination});
  }
  void DrawTextLine(const std::wstring& text, const platform::Rect& box,
                    platform::Rgb colour) override {
    texts.push_back({text, box, colour});
  }

  int CountOf(int id) const {
    int count = 0;
    for (const PictureDraw& draw : pictures) count += draw.id == id ? 1 : 0;
    return count;
  }
  const PictureDraw* Find(int id) const {
    for (const PictureDraw& draw : pictures) {
      if (draw.id == id) return &draw;
    }
    return nullptr;
  }

  std::vector<PictureDraw> pictures;
  std::vector<TextDraw> texts;
};
