// A decoded picture from the launcher's resources, kept with premultiplied
// alpha so that drawing it blends it over what is already there.
#pragma once

namespace platform {

class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

}  // namespace platform
