#include "support/VCardFixtures.h"

#include <algorithm>
#include <stdexcept>

#include "stores/outlook/VCard.h"
#include "stores/outlook/VCardFields.h"
#include "support/TempDir.h"

namespace velmora::test {

std::string MakeCard(const std::vector<std::string>& lines, std::string_view version) {
    std::string text = "BEGIN:VCARD\r\nVERSION:" + std::string(version) + "\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text + "END:VCARD\r\n";
}

std::string ContactCardText(const FieldValues& fields) {
    VCard card = NewContactCard();
    for (const auto& [field, value] : fields)
        WriteContactField(card, field, value);
    FreezeCard(card);
    return CardText(card);
}

std::string RenderAddressBook(const AddressBook& book) {
    std::string rendered;
    for (CardHandle card = 1; card <= book.Count(); ++card) {
        const bool contact = book.IsContact(card);
        std::string line;
        for (std::size_t f = 0; contact && f < kContactFieldCount; ++f) {
            const auto field = static_cast<ContactField>(f);
            const std::string value = book.Get(card, field);
            if (field == ContactField::Email1DisplayName || value.empty()) continue;
            line += (line.empty() ? "" : "; ") + std::string(FieldName(field)) + "=" + value;
        }
        if (line.empty()) line = contact ? "(empty contact)" : "(distribution list)";
        rendered += line + "\n";
    }
    return rendered;
}

FieldValues ParseFields(std::string_view text) {
    FieldValues fields;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find("; ", at), text.size());
        const std::string_view entry = text.substr(at, end - at);
        const std::size_t equals = entry.find('=');
        const auto field = FieldByName(entry.substr(0, equals));
        if (equals == std::string_view::npos || !field)
            throw std::invalid_argument("not Field=value: " + std::string(entry));
        fields.emplace_back(*field, entry.substr(equals + 1));
        at = end + 2;
    }
    return fields;
}

void AddContact(InMemoryAddressBook& book, std::string_view fields) {
    const FieldValues parsed = ParseFields(fields);
    book.AddContact({parsed.begin(), parsed.end()});
}

}  // namespace velmora::test
