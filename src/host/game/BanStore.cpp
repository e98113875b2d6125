// Reading and writing the ban files.
#include "host/game/BanStore.h"

#include "platform/fs/BoundedFile.h"
#include "platform/fs/FileReplacement.h"
#include "platform/fs/FittedName.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr uint32_t NEW_FILE_MODE = 0644;

// Puts the text in place whole, keeping the owner and mode of the file it replaces.
bool ReplaceText(const std::filesystem::path& file, const std::string& text, std::string& error) {
    const std::filesystem::path writing = file.parent_path() / FittedName("", file.filename().string(), ".new");
    FileOwnership ownership = OwnershipOf(file);
    if (!ownership.m_Known) {
        ownership = NewFileOwnership(NEW_FILE_MODE);
    }
    if (!CreateFreshFile(writing, error) || !WriteFreshFile(writing, text, error) ||
        !ApplyOwnership(writing, ownership, error) || !CommitFile(writing, file, error)) {
        DiscardFile(writing);
        error = file.string() + ": " + error;
        return false;
    }
    return true;
}

// The file's whole text; false with the reason when it cannot be rewritten without losing any of it.
bool ReadWhole(const std::filesystem::path& file, std::string& text, std::string& error) {
    BoundedFile read = ReadBoundedFile(file, MAX_BAN_FILE_BYTES);
    switch (read.m_Outcome) {
    case BoundedFile::Outcome::Read:
        text = std::move(read.m_Bytes);
        return true;
    case BoundedFile::Outcome::Missing:
        text.clear();
        return true;
    case BoundedFile::Outcome::Cut:
        error = file.string() + " is larger than " + std::to_string(MAX_BAN_FILE_BYTES) + " bytes; edit it by hand";
        return false;
    default:
        error = file.string() + " is not a regular file";
        return false;
    }
}

bool LineHoldsWord(std::string_view line, std::string_view name) {
    size_t tooLong = 0;
    const std::vector<std::string> words = BanFileWords(line, tooLong);
    return std::ranges::find(words, name) != words.end();
}

} // namespace

std::string AddBanFileName(std::string_view text, std::string_view name) {
    if (LineHoldsWord(text, name)) {
        return std::string(text);
    }
    std::string added(text);
    if (!added.empty() && added.back() != '\n') {
        added += '\n';
    }
    added += name;
    added += '\n';
    return added;
}

std::string RemoveBanFileName(std::string_view text, std::string_view name) {
    std::string kept;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        text.remove_prefix(line.size());
        if (!LineHoldsWord(line, name)) {
            kept += line;
            continue;
        }
        size_t tooLong = 0;
        std::string rest;
        for (const std::string& word : BanFileWords(line, tooLong)) {
            if (word != name) {
                rest += (rest.empty() ? "" : " ") + word;
            }
        }
        if (!rest.empty()) {
            kept += rest + "\n";
        }
    }
    return kept;
}

BanStoreLoad BanStore::Load() {
    BanStoreLoad load;
    BanList names;
    load.m_Names = names.LoadBanList(m_Files.m_Names);
    const BoundedFile details = ReadBoundedFile(m_Files.m_Details, MAX_BAN_FILE_BYTES);
    BanDetails parsed;
    if (details.HasText()) {
        load.m_DetailsRead = true;
        parsed = ParseBanDetails(details.m_Bytes);
        load.m_Problems = std::move(parsed.m_Problems);
    }
    load.m_Dropped = m_Book.Assemble(names.Names(), parsed.m_Records, m_Now());
    Publish();
    return load;
}

bool BanStore::Ban(BanRecord record, std::string& error) {
    (void)m_Book.DropEnded(m_Now());
    const bool permanent = record.IsPermanent();
    const std::string name = record.m_Name;
    const BanRecord* earlier = m_Book.Find(name);
    const bool wasPermanent = earlier != nullptr && earlier->IsPermanent();
    m_Book.Put(std::move(record));
    Publish();
    std::string text;
    if (permanent != wasPermanent || permanent) {
        if (!ReadWhole(m_Files.m_Names, text, error)) {
            return false;
        }
        const std::string changed = permanent ? AddBanFileName(text, name) : RemoveBanFileName(text, name);
        if (changed != text && !ReplaceText(m_Files.m_Names, changed, error)) {
            return false;
        }
    }
    return WriteDetails(error);
}

bool BanStore::Unban(std::string_view name, std::string& error) {
    (void)m_Book.DropEnded(m_Now());
    const BanRecord* found = m_Book.Find(name);
    if (found == nullptr) {
        error = "nobody named " + std::string(name) + " is banned";
        return false;
    }
    const bool permanent = found->IsPermanent();
    (void)m_Book.Remove(name);
    Publish();
    if (permanent) {
        std::string text;
        if (!ReadWhole(m_Files.m_Names, text, error)) {
            return false;
        }
        const std::string changed = RemoveBanFileName(text, name);
        if (changed != text && !ReplaceText(m_Files.m_Names, changed, error)) {
            return false;
        }
    }
    return WriteDetails(error);
}

std::vector<BanRecord> BanStore::Bans() {
    if (m_Book.DropEnded(m_Now()) > 0) {
        Publish();
    }
    return m_Book.Records();
}

bool BanStore::WriteDetails(std::string& error) {
    const std::vector<BanRecord> detailed = m_Book.Detailed();
    std::error_code ignored;
    if (detailed.empty() && !std::filesystem::exists(m_Files.m_Details, ignored)) {
        return true; // no console ban yet: no file
    }
    return ReplaceText(m_Files.m_Details, FormatBanDetails(detailed), error);
}

void BanStore::Publish() {
    m_List.Replace(m_Book.ListBans());
}

} // namespace dravo
