#include "fake_audio_output.h"

#include <cstring>

namespace {

using Lock = std::lock_guard<std::mutex>;

}  // namespace

void FakeAudioOutput::log(const std::string& call) {
    if (log_) log_->add("device." + call);
}

void FakeAudioOutput::fault(const std::string& what) { faults_.push_back(what); }

bool FakeAudioOutput::checkOpen(const char* call) {
    if (!open_) fault(std::string(call) + " on a closed device");
    return open_;
}

std::uint64_t FakeAudioOutput::framesOf(std::uint32_t length) const {
    return format_.blockAlign ? length / format_.blockAlign : 0;
}

bool FakeAudioOutput::open(const PcmFormat& format) {
    Lock lock(mutex_);
    ++openCount_;
    if (open_) fault("open while open");
    if (refuseOpen_) {
        log("open refused");
        return false;
    }
    log("open");
    open_ = true;
    format_ = format;
    position_ = 0;
    return true;
}

bool FakeAudioOutput::prepare(std::uint32_t slot, std::uint8_t* data, std::uint32_t length) {
    Lock lock(mutex_);
    log("prepare " + std::to_string(slot));
    if (!checkOpen("prepare")) return false;
    if (slot >= kBufferSlots) {
        fault("prepare of slot " + std::to_string(slot));
        return false;
    }
    slots_[slot] = {data, length, true};
    return true;
}

bool FakeAudioOutput::write(std::uint32_t slot) {
    Lock lock(mutex_);
    if (!checkOpen("write")) return false;
    if (slot >= kBufferSlots || !slots_[slot].prepared) {
        fault("write of unprepared slot " + std::to_string(slot));
        return false;
    }
    if (refuseWrites_ > 0) {
        --refuseWrites_;
        log("write " + std::to_string(slot) + " refused");
        return false;
    }
    log("write " + std::to_string(slot));
    const Slot& s = slots_[slot];
    for (std::size_t i = firstHeld_; i < submissions_.size(); ++i) {
        if (!submissions_[i].done && submissions_[i].slot == slot) {
            fault("slot " + std::to_string(slot) + " submitted again while still queued");
        }
    }
    submittedFrames_ += framesOf(s.length);
    ++submissionCount_;
    if (keepBytes_) {
        submissions_.push_back(
            {slot, submittedFrames_, std::vector<std::uint8_t>(s.data, s.data + s.length), false});
    }
    return true;
}

bool FakeAudioOutput::pause() {
    Lock lock(mutex_);
    log("pause");
    return checkOpen("pause");
}

bool FakeAudioOutput::reset() {
    Lock lock(mutex_);
    log("reset");
    if (!checkOpen("reset")) return false;
    for (std::size_t i = firstHeld_; i < submissions_.size(); ++i) checkUnchanged(i);
    submissions_.clear();
    firstHeld_ = 0;
    position_ = 0;
    submittedFrames_ = 0;
    submissionCount_ = 0;
    return true;
}

bool FakeAudioOutput::restart() {
    Lock lock(mutex_);
    log("restart");
    return checkOpen("restart");
}

bool FakeAudioOutput::getPosition(DevicePosition& position) {
    Lock lock(mutex_);
    if (!checkOpen("getPosition") || failQueries_) return false;
    if (advanceOnQuery_) {
        position_ += advanceOnQuery_;
        if (position_ > submittedFrames_) position_ = submittedFrames_;
        retirePlayed();
    }
    position.unit = unit_;
    if (rawAnswer_) {
        position.value = rawValue_;
        return true;
    }
    switch (unit_) {
        case PositionUnit::Samples: position.value = static_cast<std::uint32_t>(position_); break;
        case PositionUnit::Bytes:
            position.value = static_cast<std::uint32_t>(position_ * format_.blockAlign);
            break;
        case PositionUnit::Milliseconds:
            position.value = format_.samplesPerSec
                                 ? static_cast<std::uint32_t>(position_ * 1000 / format_.samplesPerSec)
                                 : 0;
            break;
        case PositionUnit::Other: position.value = 0; break;
    }
    return true;
}

bool FakeAudioOutput::unprepare(std::uint32_t slot) {
    Lock lock(mutex_);
    log("unprepare " + std::to_string(slot));
    if (!checkOpen("unprepare")) return false;
    if (slot >= kBufferSlots || !slots_[slot].prepared) {
        fault("unprepare of unprepared slot " + std::to_string(slot));
        return false;
    }
    for (std::size_t i = firstHeld_; i < submissions_.size(); ++i) {
        if (!submissions_[i].done && submissions_[i].slot == slot) {
            fault("slot " + std::to_string(slot) + " unprepared while still queued");
        }
    }
    slots_[slot] = Slot{};
    return true;
}

bool FakeAudioOutput::close() {
    Lock lock(mutex_);
    log("close");
    if (!checkOpen("close")) return false;
    for (const Slot& s : slots_) {
        if (s.prepared) fault("close with a slot still prepared");
    }
    open_ = false;
    return true;
}

void FakeAudioOutput::retirePlayed() {
    while (firstHeld_ < submissions_.size() && submissions_[firstHeld_].endFrame <= position_) {
        checkUnchanged(firstHeld_);
        ++firstHeld_;
    }
}

void FakeAudioOutput::checkUnchanged(std::size_t index) {
    Submission& s = submissions_[index];
    if (s.done) return;
    s.done = true;
    const Slot& slot = slots_[s.slot];
    if (!slot.prepared || slot.length != s.bytes.size() ||
        (!s.bytes.empty() && std::memcmp(slot.data, s.bytes.data(), s.bytes.size()) != 0)) {
        fault("submission " + std::to_string(index) + " (slot " + std::to_string(s.slot) +
              ") was changed while the device held it");
    }
}

void FakeAudioOutput::refuseOpen(bool refuse) {
    Lock lock(mutex_);
    refuseOpen_ = refuse;
}

void FakeAudioOutput::refuseWrites(int count) {
    Lock lock(mutex_);
    refuseWrites_ = count;
}

void FakeAudioOutput::failPositionQueries(bool fail) {
    Lock lock(mutex_);
    failQueries_ = fail;
}

void FakeAudioOutput::setPosition(std::uint64_t frames) {
    Lock lock(mutex_);
    position_ = frames;
    rawAnswer_ = false;
    retirePlayed();
}

void FakeAudioOutput::answerIn(PositionUnit unit) {
    Lock lock(mutex_);
    unit_ = unit;
}

void FakeAudioOutput::setRawAnswer(std::uint32_t value) {
    Lock lock(mutex_);
    rawAnswer_ = true;
    rawValue_ = value;
}

void FakeAudioOutput::advanceOnQuery(std::uint32_t frames) {
    Lock lock(mutex_);
    advanceOnQuery_ = frames;
}

void FakeAudioOutput::keepBytes(bool keep) {
    Lock lock(mutex_);
    keepBytes_ = keep;
}

bool FakeAudioOutput::isOpen() const {
    Lock lock(mutex_);
    return open_;
}

int FakeAudioOutput::openCount() const {
    Lock lock(mutex_);
    return openCount_;
}

PcmFormat FakeAudioOutput::format() const {
    Lock lock(mutex_);
    return format_;
}

std::uint64_t FakeAudioOutput::position() const {
    Lock lock(mutex_);
    return position_;
}

std::uint64_t FakeAudioOutput::submittedFrames() const {
    Lock lock(mutex_);
    return submittedFrames_;
}

std::size_t FakeAudioOutput::submissionCount() const {
    Lock lock(mutex_);
    return submissionCount_;
}

std::vector<std::uint8_t> FakeAudioOutput::submission(std::size_t i) const {
    Lock lock(mutex_);
    return i < submissions_.size() ? submissions_[i].bytes : std::vector<std::uint8_t>{};
}

std::uint32_t FakeAudioOutput::submissionSlot(std::size_t i) const {
    Lock lock(mutex_);
    return i < submissions_.size() ? submissions_[i].slot : kBufferSlots;
}

std::vector<std::uint8_t> FakeAudioOutput::stream() const {
    Lock lock(mutex_);
    std::vector<std::uint8_t> all;
    for (const Submission& s : submissions_) all.insert(all.end(), s.bytes.begin(), s.bytes.end());
    return all;
}

std::uint32_t FakeAudioOutput::preparedLength(std::uint32_t slot) const {
    Lock lock(mutex_);
    return slot < kBufferSlots && slots_[slot].prepared ? slots_[slot].length : 0;
}

bool FakeAudioOutput::anyPrepared() const {
    Lock lock(mutex_);
    for (const Slot& s : slots_) {
        if (s.prepared) return true;
    }
    return false;
}

std::vector<std::string> FakeAudioOutput::faults() const {
    Lock lock(mutex_);
    return faults_;
}
