// Message boxes that record what they were asked and answer from a script.
#pragma once

#include <deque>
#include <vector>

#include "platform/message_box.h"

class FakeMessageBoxes final : public platform::MessageBoxes {
 public:
  platform::MessageAnswer Show(const platform::MessageRequest& request) override {
    shown.push_back(request);
    if (answers.empty()) return platform::MessageAnswer::Ok;
    platform::MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::deque<platform::MessageAnswer> answers;
  std::vector<platform::MessageRequest> shown;
};
