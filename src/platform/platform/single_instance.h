#pragma once
// The desktop program runs once per desktop: a start while another run is
// open is told so and ends. The claim lasts as long as the object.

#include <memory>
#include <string_view>

namespace verbarium {

class SingleInstance {
 public:
  // Claims `name` for this run. A claim that fails for any other reason
  // than an earlier run counts as the first: a start is never refused on a
  // doubt.
  explicit SingleInstance(std::u16string_view name);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  ~SingleInstance();

  // Another run claimed the name first and still holds it.
  bool alreadyRunning() const { return alreadyRunning_; }

 private:
  struct Claim;
  std::unique_ptr<Claim> claim_;
  bool alreadyRunning_ = false;
};

}  // namespace verbarium
