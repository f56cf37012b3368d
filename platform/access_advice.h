#pragma once
// What to tell a user whose device node could not be opened for lack of
// permission (TransportError::AccessDenied).

#include <optional>
#include <string>

namespace qfw {

// The advice for path when its owning group is group (nothing when unknown).
// A group is only suggested for joining when it is not root's.
std::string AccessAdviceText(const std::string& path, const std::optional<std::string>& group);

// The name of the group owning path, read with stat; nothing if the node or
// its group cannot be looked up.
std::optional<std::string> NodeGroupName(const std::string& path);

// AccessAdviceText for the node's actual group.
std::string AccessDeniedAdvice(const std::string& path);

}  // namespace qfw
