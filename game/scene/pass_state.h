// OpenGL state that several of the game's drawing passes share.
#pragma once

// No 2-D texture (texture 0 bound), alpha blending with source alpha over
// one minus source alpha, the depth test on and depth writes off: what is
// drawn now shows through and hides nothing drawn later. The caller saves
// the state first and restores it afterwards.
void set_blended_untextured();
