#include "swf/swf_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "swf/swf_bytes.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_tag.h"
#include "swf/swf_twips.h"

namespace {

constexpr uint8_t kPlaceMove = 0x01;
constexpr uint8_t kPlaceHasCharacter = 0x02;
constexpr uint8_t kPlaceHasMatrix = 0x04;
constexpr uint8_t kPlaceHasColorTransform = 0x08;

// Header bytes besides the RECT, and the End tag: the file length is 14 + r + t.
constexpr uint64_t kFixedFileBytes = 14;

}  // namespace

SwfWriter::SwfWriter() {
    frameRect_.Set(0.0f, 0.0f, 200.0f, 200.0f);
}

SwfWriter::~SwfWriter() {
    // The movie is written only by Close; a writer dropped while open leaves the
    // file as Open made it (empty) rather than writing a movie nobody finished.
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void SwfWriter::Fail(std::string message, int errorNumber) {
    // The first failure names the cause; later ones follow from it.
    if (!failed_) {
        failed_ = true;
        error_ = std::move(message);
        errorNumber_ = errorNumber;
    }
}

int SwfWriter::Open(const std::string& path, float frameWidth, float frameHeight, int frameRate) {
    if (file_ != nullptr) {
        return 0;
    }
    if (failed_) {
        // A writer that failed stays failed: its tags are incomplete, so no file
        // is created for them.
        return 0;
    }
    try {
        outputPath_ = path;
    } catch (const std::bad_alloc&) {
        Fail("out of memory opening the movie");
        return 0;
    }
    // Refused before the file is created, so a refused build does not leave an
    // empty movie behind (or truncate an existing one).
    if (!SwfFrameSizeFits(frameWidth, frameHeight)) {
        Fail("frame size " + SwfPixelsText(frameWidth) + "*" + SwfPixelsText(frameHeight) +
             " pixels is too large: at most " + std::to_string(kSwfMaxFramePixels) +
             " pixels fit in each direction");
        return 0;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        const int error = errno;
        Fail("cannot create " + path + ": " + std::strerror(error), error);
        return 0;
    }
    file_ = file;
    complete_ = false;
    frameRect_.Set(0.0f, 0.0f, frameWidth, frameHeight);
    frameRate_ = static_cast<uint16_t>((frameRate & 0xFF) << 8);
    return 1;
}

bool SwfWriter::AppendTag(const uint8_t* bytes, size_t count) {
    if (failed_) {
        return false;
    }
    // The header's 32-bit file length must still cover everything.
    const uint64_t rectBytes = 9;  // the widest RECT a fitting frame can need
    if (uint64_t{tagStream_.size()} + count + rectBytes + kFixedFileBytes > 0xFFFFFFFFu) {
        Fail("the movie is larger than 4 GiB");
        return false;
    }
    try {
        tagStream_.insert(tagStream_.end(), bytes, bytes + count);
    } catch (const std::bad_alloc&) {
        Fail("out of memory: the movie does not fit in memory");
        return false;
    }
    return true;
}

bool SwfWriter::AppendSmallTag(SwfTagCode code, std::initializer_list<uint8_t> body) {
    try {
        std::vector<uint8_t> tag;
        tag.reserve(6 + body.size());
        SwfPutTagHeader(tag, code, static_cast<uint32_t>(body.size()));
        tag.insert(tag.end(), body.begin(), body.end());
        return AppendTag(tag.data(), tag.size());
    } catch (const std::bad_alloc&) {
        Fail("out of memory adding a tag");
        return false;
    }
}

void SwfWriter::SetBackgroundColor(uint32_t color) {
    AppendSmallTag(SwfTagCode::kSetBackgroundColor,
                   {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                    static_cast<uint8_t>(color >> 16)});
}

void SwfWriter::ShowFrame() {
    if (failed_) {
        return;
    }
    if (frameCount_ == kSwfMaxFrameCount) {
        Fail("the movie has more than " + std::to_string(kSwfMaxFrameCount) + " frames");
        return;
    }
    if (AppendSmallTag(SwfTagCode::kShowFrame, {})) {
        ++frameCount_;
    }
}

void SwfWriter::AddFrameLabel(std::string_view text) {
    const size_t end = text.find('\0');
    if (end != std::string_view::npos) {
        text = text.substr(0, end);
    }
    if (text.size() > 0xFFFFFF) {
        Fail("frame label is too long");
        return;
    }
    try {
        std::vector<uint8_t> tag;
        tag.reserve(text.size() + 7);
        SwfPutTagHeader(tag, SwfTagCode::kFrameLabel, static_cast<uint32_t>(text.size() + 1));
        tag.insert(tag.end(), text.begin(), text.end());
        tag.push_back(0);
        AppendTag(tag.data(), tag.size());
    } catch (const std::bad_alloc&) {
        Fail("out of memory adding a frame label");
    }
}

void SwfWriter::AddCharacter(SwfCharacter* character, uint16_t depth, bool place) {
    if (character == nullptr || failed_) {
        return;
    }
    const std::vector<uint8_t>& definition = character->GetDefinition();
    const size_t length = character->GetDefinitionLength();
    if (!character->GetError().empty()) {
        // A definition that could not be built would leave its placements and
        // fills pointing at nothing: the movie is refused rather than broken.
        Fail("character " + std::to_string(character->GetCharacterId()) + ": " +
             character->GetError());
        return;
    }
    if (length > 0 && !AppendTag(definition.data(), length)) {
        return;
    }
    if (place && character->GetKind() != kSwfCharacterJpegBitmap) {
        AppendPlacement(character, depth, nullptr, true);
    }
}

void SwfWriter::PlaceCharacter(SwfCharacter* character, uint16_t depth,
                               const SwfColorTerms* colorTransform, uint16_t /*ratio*/,
                               bool newCharacter) {
    if (character == nullptr) {
        return;
    }
    AppendPlacement(character, depth, colorTransform, newCharacter);
}

void SwfWriter::MoveCharacter(SwfCharacter* character, uint16_t depth,
                              const SwfColorTerms* colorTransform, uint16_t ratio) {
    PlaceCharacter(character, depth, colorTransform, ratio, false);
}

void SwfWriter::AppendPlacement(SwfCharacter* character, uint16_t depth,
                                const SwfColorTerms* colorTransform, bool newCharacter) {
    if (failed_) {
        return;
    }
    try {
        const std::vector<uint8_t>& matrix = character->GetPlacementMatrix().Encode();
        if (matrix.empty()) {
            Fail("placement matrix of character " + std::to_string(character->GetCharacterId()) +
                 " is out of range");
            return;
        }
        SwfColorTransform transform(colorTransform);
        const std::vector<uint8_t>* transformBytes = nullptr;
        if (colorTransform != nullptr) {
            transformBytes = &transform.Encode();
            if (transformBytes->empty()) {
                Fail("colour transform of character " +
                     std::to_string(character->GetCharacterId()) +
                     " is out of range: every term must stay below 8448 (multipliers below "
                     "33.0)");
                return;
            }
        }
        uint8_t flags =
            newCharacter ? (kPlaceHasCharacter | kPlaceHasMatrix) : (kPlaceHasMatrix | kPlaceMove);
        if (transformBytes != nullptr) {
            flags |= kPlaceHasColorTransform;
        }
        const size_t bodyLength = (newCharacter ? 5 : 3) + matrix.size() +
                                  (transformBytes != nullptr ? transformBytes->size() : 0);
        std::vector<uint8_t> tag;
        tag.reserve(bodyLength + 6);
        SwfPutTagHeader(tag, SwfTagCode::kPlaceObject2, static_cast<uint32_t>(bodyLength));
        tag.push_back(flags);
        SwfPutU16(tag, depth);
        if (newCharacter) {
            SwfPutU16(tag, character->GetCharacterId());
        }
        tag.insert(tag.end(), matrix.begin(), matrix.end());
        if (transformBytes != nullptr) {
            tag.insert(tag.end(), transformBytes->begin(), transformBytes->end());
        }
        AppendTag(tag.data(), tag.size());
    } catch (const std::bad_alloc&) {
        Fail("out of memory placing a character");
    }
}

void SwfWriter::RemoveDepth(uint16_t depth) {
    AppendSmallTag(SwfTagCode::kRemoveObject2,
                   {static_cast<uint8_t>(depth), static_cast<uint8_t>(depth >> 8)});
}

void SwfWriter::AddActions(SwfActionList* actionList) {
    if (actionList == nullptr || failed_) {
        return;
    }
    const std::vector<uint8_t>& bytes = actionList->Encode();
    if (!actionList->Fits()) {
        Fail("frame actions could not be encoded (a text is longer than 65533 bytes)");
        return;
    }
    AppendTag(bytes.data(), bytes.size());
}

bool SwfWriter::Close() {
    if (file_ == nullptr) {
        return complete_ && !failed_;
    }
    std::FILE* file = file_;
    file_ = nullptr;
    if (failed_) {
        // The tags are incomplete: writing them would pass off a broken movie as
        // a finished one. The file stays as Open left it.
        std::fclose(file);
        return false;
    }
    const auto ioFailure = [this](const char* what) {
        const int error = errno;
        Fail(std::string("cannot ") + what + " " + outputPath_ + ": " + std::strerror(error),
             error);
    };
    try {
        const std::vector<uint8_t>& rect = frameRect_.Encode();
        fileLength_ = static_cast<uint32_t>(tagStream_.size() + rect.size() + kFixedFileBytes);
        std::vector<uint8_t> header;
        header.reserve(12 + rect.size());
        header.insert(header.end(), signature_, signature_ + 3);
        header.push_back(version_);
        SwfPutU32(header, fileLength_);
        header.insert(header.end(), rect.begin(), rect.end());
        SwfPutU16(header, frameRate_);
        SwfPutU16(header, frameCount_);

        errno = 0;
        bool written = std::fseek(file, 0, SEEK_SET) == 0;
        if (!written) {
            ioFailure("seek in");
        }
        if (written && std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
            written = false;
            ioFailure("write");
        }
        if (written && !tagStream_.empty() &&
            std::fwrite(tagStream_.data(), 1, tagStream_.size(), file) != tagStream_.size()) {
            written = false;
            ioFailure("write");
        }
        // Buffered bytes reach the file only when flushed; a full disk shows here.
        if (written && std::fflush(file) != 0) {
            written = false;
            ioFailure("write");
        }
        if (written && std::fseek(file, 0, SEEK_END) != 0) {
            written = false;
            ioFailure("seek in");
        }
        std::vector<uint8_t> endTag;
        SwfPutTagHeader(endTag, SwfTagCode::kEnd, 0);
        if (written && std::fwrite(endTag.data(), 1, endTag.size(), file) != endTag.size()) {
            written = false;
            ioFailure("write");
        }
        if (written && std::fflush(file) != 0) {
            written = false;
            ioFailure("write");
        }
        if (std::fclose(file) != 0 && written) {
            written = false;
            ioFailure("close");
        }
        complete_ = written;
        return written;
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        Fail("out of memory writing " + outputPath_);
        return false;
    }
}
