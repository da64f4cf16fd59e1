#include "data/message_resource.h"

#include "platform/resources.h"

namespace zor::data {

std::string messageResourceText(int number) {
  const platform::ResourceHandle resource =
      platform::findResource("", std::to_string(number), "MESSAGE");
  if (resource == nullptr) return {};
  const auto* bytes = platform::lockResource(resource);
  std::string text(reinterpret_cast<const char*>(bytes), platform::sizeofResource(resource));
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  return text;
}

}  // namespace zor::data
