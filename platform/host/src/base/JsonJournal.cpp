#include "base/JsonJournal.h"

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"

namespace brelta::host {

bool JsonJournal::Append(const std::string& relative, const JsonLine& line) {
    return FileUtil::AppendLine(DeviceRoot::Path() + "/" + relative, line.Text());
}

}  // namespace brelta::host
