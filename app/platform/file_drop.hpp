// Files dropped on a window: the first local file of the drop is handed on by name.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace kalidos::app {

// `window` accepts drags of local files; a drop calls `open` with the path of the first one.
void accept_file_drops(QWidget& window, std::function<void(const std::string&)> open);

}  // namespace kalidos::app
