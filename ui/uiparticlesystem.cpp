#include "uiparticlesystem.h"

#include "core.h"
#include "gfxsubsystem.h"

uiWidget* uiParticleSystem::s_allocator() {
  return new ("uiparticlesystem", __LINE__) uiParticleSystem;
}

const char* uiParticleSystem::getType() {
  return "uiParticleSystem";
}

bool uiParticleSystem::isType(const char* type) {
  return uiNameEquals(type, "uiParticleSystem") || uiWidget::isType(type);
}

void uiParticleSystem::loadPsys(const char* file) {
  if (!g_gfx)
    return;
  if (instanceId != -1)
    g_gfx->releaseParticleSystemInstance(name);
  instanceId = g_gfx->createParticleSystemInstance(name, file);
}

void uiParticleSystem::reset() {
  if (instanceId != -1 && g_gfx)
    g_gfx->addEvent(4, 0, instanceId, 0, 0.0f, nullptr);
}

void uiParticleSystem::stop() {
  if (instanceId != -1 && g_gfx)
    g_gfx->particleSystemInstanceStopEmitters(instanceId);
}

void uiParticleSystem::releaseInstance() {
  if (instanceId == -1 || !g_gfx)
    return;
  g_gfx->releaseParticleSystemInstance(name);
  instanceId = -1;
}

void uiParticleSystem::setAlpha(unsigned char newAlpha, unsigned int duration, unsigned int delay,
                                bool propagate) {
  if (flags & WF_IGNORE_ALPHA)
    return;
  alpha = newAlpha;
  uiWidget::setAlpha(newAlpha, duration, delay, propagate);
}

// Keys: file. Unlike a sprite, the instance is created as the line is read, active or not. A
// "file =" without a name is reported like a missing "=" and creates nothing.
void uiParticleSystem::_parseParams(Parser* parser, char* key) {
  if (!uiNameEquals(key, "file")) {
    uiWidget::_parseParams(parser, key);
    return;
  }
  const char* file = parser->GetEqualsToken() ? parser->GetToken(" ") : nullptr;
  if (file)
    loadPsys(file);
  else
    _parseError("file = \"val\"");
}

void uiParticleSystem::_parseSingleFlag(const char* flag) {
  if (uiNameEquals(flag, "UIP_DONTUPDATE"))
    flags |= UIP_DONTUPDATE;
  else if (uiNameEquals(flag, "UIP_DONTRENDER"))
    flags |= UIP_DONTRENDER;
  else
    uiWidget::_parseSingleFlag(flag);
}

// Advances the particles by the frame time and moves the emitter to the widget.
void uiParticleSystem::_update(int ox, int oy) {
  if ((flags & UIP_DONTUPDATE) || instanceId == -1 || !g_gfx)
    return;
  g_gfx->updateParticleSystem(instanceId, ox + x, oy + y, s_fDeltaTime);
}

// The position was given at the update; only the opacity is passed here.
void uiParticleSystem::_render(int, int) {
  if ((flags & UIP_DONTRENDER) || instanceId == -1 || !g_gfx)
    return;
  g_gfx->psemit(depth, instanceId, alpha * (1.0f / 255.0f));
}

bool uiParticleSystem::_inputEvent(e_uiEvent, int, int, int, bool, bool) {
  return false;
}
