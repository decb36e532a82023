#include "swf/swf_writer.h"

#include <string>
#include <utility>

#include "swf/swf_bytes.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_memory_guard.h"
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

// A writer dropped while open leaves its file empty (file_ discards it) rather
// than a movie nobody finished.
SwfWriter::~SwfWriter() = default;

void SwfWriter::Fail(SwfWriterError code, std::string message, int errorNumber) {
    if (errorCode_ == SwfWriterError::kNone) {
        errorCode_ = code;
        error_ = std::move(message);
        errorNumber_ = errorNumber;
    }
}

void SwfWriter::FailWithFile() {
    Fail(SwfWriterError::kFile, file_.GetError(), file_.GetErrorNumber());
}

template <typename Operation>
bool SwfWriter::Guarded(const char* doing, Operation operation) {
    return SwfGuardMemory(operation, [&] {
        Fail(SwfWriterError::kOutOfMemory, std::string("out of memory ") + doing);
    });
}

int SwfWriter::Open(const std::string& path, float frameWidth, float frameHeight, int frameRate) {
    // A writer that failed stays failed: its tags are incomplete, so no file is
    // created for them.
    if (file_.IsOpen() || closed_ || Failed()) {
        return 0;
    }
    const bool opened = Guarded("opening the movie", [&] {
        outputPath_ = path;
        // Refused before the file is created, so a refused build does not leave an
        // empty movie behind (or truncate an existing one).
        if (!SwfFrameSizeFits(frameWidth, frameHeight)) {
            Fail(SwfWriterError::kFrameTooLarge,
                 "frame size " + SwfPixelsText(frameWidth) + "*" + SwfPixelsText(frameHeight) +
                     " pixels is too large: at most " + std::to_string(kSwfMaxFramePixels) +
                     " pixels fit in each direction");
            return false;
        }
        if (!file_.Create(path)) {
            FailWithFile();
            return false;
        }
        complete_ = false;
        frameRect_.Set(0.0f, 0.0f, frameWidth, frameHeight);
        frameRate_ = static_cast<uint16_t>((frameRate & 0xFF) << 8);
        // The real counts are written by Close; until then the header says 0.
        std::vector<uint8_t> header = BuildHeader(0, 0);
        headerByteCount_ = header.size();
        if (version_ >= kSwfFileAttributesVersion) {
            PutFileAttributes(header);
        }
        if (!file_.Append(header.data(), header.size()) ||
            !file_.Append(tagsBeforeOpen_.data(), tagsBeforeOpen_.size())) {
            FailWithFile();
            return false;
        }
        std::vector<uint8_t>().swap(tagsBeforeOpen_);
        return true;
    });
    if (!opened) {
        file_.Discard();
    }
    return opened ? 1 : 0;
}

bool SwfWriter::SetVersion(uint8_t version) {
    if (version == 0 || file_.IsOpen() || closed_) {
        return false;
    }
    version_ = version;
    return true;
}

void SwfWriter::PutFileAttributes(std::vector<uint8_t>& out) {
    SwfPutTagHeader(out, SwfTagCode::kFileAttributes, 4);
    SwfPutU32(out, 0);
    tagByteCount_ += 6;
}

std::vector<uint8_t> SwfWriter::BuildHeader(uint32_t fileLength, uint16_t frameCount) {
    const std::vector<uint8_t>& rect = frameRect_.Encode();
    std::vector<uint8_t> header;
    header.reserve(12 + rect.size());
    header.insert(header.end(), signature_, signature_ + 3);
    header.push_back(version_);
    SwfPutU32(header, fileLength);
    header.insert(header.end(), rect.begin(), rect.end());
    SwfPutU16(header, frameRate_);
    SwfPutU16(header, frameCount);
    return header;
}

bool SwfWriter::AppendTag(const uint8_t* bytes, size_t count) {
    if (Failed() || closed_) {
        return false;
    }
    // The header's 32-bit file length must still cover everything.
    const uint64_t rectBytes = 9;  // the widest RECT a fitting frame can need
    if (tagByteCount_ + count + rectBytes + kFixedFileBytes > 0xFFFFFFFFu) {
        Fail(SwfWriterError::kMovieTooLarge, "the movie is larger than 4 GiB");
        return false;
    }
    if (file_.IsOpen()) {
        if (!file_.Append(bytes, count)) {
            FailWithFile();
            return false;
        }
    } else {
        tagsBeforeOpen_.insert(tagsBeforeOpen_.end(), bytes, bytes + count);
    }
    tagByteCount_ += count;
    return true;
}

bool SwfWriter::AppendSmallTag(SwfTagCode code, std::initializer_list<uint8_t> body) {
    std::vector<uint8_t> tag;
    tag.reserve(6 + body.size());
    SwfPutTagHeader(tag, code, static_cast<uint32_t>(body.size()));
    tag.insert(tag.end(), body.begin(), body.end());
    return AppendTag(tag.data(), tag.size());
}

void SwfWriter::SetBackgroundColor(uint32_t color) {
    Guarded("adding a tag", [&] {
        return AppendSmallTag(SwfTagCode::kSetBackgroundColor,
                              {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                               static_cast<uint8_t>(color >> 16)});
    });
}

void SwfWriter::ShowFrame() {
    if (Failed()) {
        return;
    }
    if (frameCount_ == kSwfMaxFrameCount) {
        Fail(SwfWriterError::kTooManyFrames,
             "the movie has more than " + std::to_string(kSwfMaxFrameCount) + " frames");
        return;
    }
    if (Guarded("adding a tag", [&] { return AppendSmallTag(SwfTagCode::kShowFrame, {}); })) {
        ++frameCount_;
    }
}

void SwfWriter::AddFrameLabel(std::string_view text) {
    const size_t end = text.find('\0');
    if (end != std::string_view::npos) {
        text = text.substr(0, end);
    }
    if (text.size() > 0xFFFFFF) {
        Fail(SwfWriterError::kRecordRefused, "frame label is too long");
        return;
    }
    Guarded("adding a frame label", [&] {
        std::vector<uint8_t> tag;
        tag.reserve(text.size() + 7);
        SwfPutTagHeader(tag, SwfTagCode::kFrameLabel, static_cast<uint32_t>(text.size() + 1));
        tag.insert(tag.end(), text.begin(), text.end());
        tag.push_back(0);
        return AppendTag(tag.data(), tag.size());
    });
}

void SwfWriter::AddCharacter(SwfCharacter* character, uint16_t depth, bool place) {
    if (character == nullptr || Failed()) {
        return;
    }
    Guarded("adding a character", [&] {
        const std::vector<uint8_t>& definition = character->GetDefinition();
        const size_t length = character->GetDefinitionLength();
        if (!character->GetError().empty()) {
            // A definition that could not be built would leave its placements and
            // fills pointing at nothing: the movie is refused rather than broken.
            Fail(SwfWriterError::kRecordRefused, "character " +
                                                     std::to_string(character->GetCharacterId()) +
                                                     ": " + character->GetError());
            return false;
        }
        if (length > 0 && !AppendTag(definition.data(), length)) {
            return false;
        }
        if (place && character->GetKind() != kSwfCharacterJpegBitmap) {
            return AppendPlacement(character, depth, nullptr, true);
        }
        return true;
    });
}

void SwfWriter::PlaceCharacter(SwfCharacter* character, uint16_t depth,
                               const SwfColorTerms* colorTransform, uint16_t /*ratio*/,
                               bool newCharacter) {
    if (character == nullptr) {
        return;
    }
    Guarded("placing a character",
            [&] { return AppendPlacement(character, depth, colorTransform, newCharacter); });
}

void SwfWriter::MoveCharacter(SwfCharacter* character, uint16_t depth,
                              const SwfColorTerms* colorTransform, uint16_t ratio) {
    PlaceCharacter(character, depth, colorTransform, ratio, false);
}

bool SwfWriter::AppendPlacement(SwfCharacter* character, uint16_t depth,
                                const SwfColorTerms* colorTransform, bool newCharacter) {
    if (Failed()) {
        return false;
    }
    const std::string name = "character " + std::to_string(character->GetCharacterId());
    const std::vector<uint8_t>& matrix = character->GetPlacementMatrix().Encode();
    if (matrix.empty()) {
        Fail(SwfWriterError::kRecordRefused, "placement matrix of " + name + " is out of range");
        return false;
    }
    SwfColorTransform transform(colorTransform);
    const std::vector<uint8_t>* transformBytes = nullptr;
    if (colorTransform != nullptr) {
        transformBytes = &transform.Encode();
        if (transformBytes->empty()) {
            Fail(SwfWriterError::kRecordRefused,
                 "colour transform of " + name +
                     " is out of range: every term must stay below 8448 (multipliers below "
                     "33.0)");
            return false;
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
    return AppendTag(tag.data(), tag.size());
}

void SwfWriter::RemoveDepth(uint16_t depth) {
    Guarded("adding a tag", [&] {
        return AppendSmallTag(SwfTagCode::kRemoveObject2,
                              {static_cast<uint8_t>(depth), static_cast<uint8_t>(depth >> 8)});
    });
}

void SwfWriter::AddActions(SwfActionList* actionList) {
    if (actionList == nullptr || Failed()) {
        return;
    }
    Guarded("adding frame actions", [&] {
        const std::vector<uint8_t>& bytes = actionList->Encode();
        if (!actionList->Fits()) {
            Fail(SwfWriterError::kRecordRefused,
                 "frame actions could not be encoded (a text is longer than 65533 bytes)");
            return false;
        }
        return AppendTag(bytes.data(), bytes.size());
    });
}

bool SwfWriter::Close() {
    if (!file_.IsOpen()) {
        return complete_ && !Failed();
    }
    closed_ = true;
    if (Failed()) {
        // The tags are incomplete: finishing them would pass off a broken movie
        // as a finished one.
        file_.Discard();
        return false;
    }
    const auto finish = [&] {
        std::vector<uint8_t> endTag;
        SwfPutTagHeader(endTag, SwfTagCode::kEnd, 0);
        const uint64_t fileLength = headerByteCount_ + tagByteCount_ + endTag.size();
        if (!file_.Append(endTag.data(), endTag.size()) ||
            !file_.OverwriteStart(BuildHeader(static_cast<uint32_t>(fileLength), frameCount_)) ||
            !file_.Close()) {
            FailWithFile();
            return false;
        }
        fileLength_ = static_cast<uint32_t>(fileLength);
        return true;
    };
    complete_ = SwfGuardMemory(finish, [&] {
        Fail(SwfWriterError::kOutOfMemory, "out of memory writing " + outputPath_);
    });
    if (!complete_) {
        file_.Discard();
    }
    return complete_;
}
