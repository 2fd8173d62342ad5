#include "engine/NamePrompt.h"

namespace velmora {

std::optional<std::string> NameOK(const NameValues& values, std::string_view nameField) {
    if (nameField == "Full Name" || nameField == "File As") {
        const std::string& matching = nameField == "Full Name" ? values.FullName : values.FileAs;
        if (!values.FileAs.empty() && !matching.empty()) return std::nullopt;
        return "The 'New File As' and 'New " + std::string(nameField) +
               "' fields must each have a value.";
    }
    // The prompt has no box for any other name field (the nickname): only
    // New File As is required then.
    if (!values.FileAs.empty()) return std::nullopt;
    return std::string("The 'New File As' field must have a value.");
}

}  // namespace velmora
