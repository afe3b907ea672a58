#pragma once
// Faults on purpose, for the end-to-end tests: a platform call whose name is listed in
// the environment variable VTL_FAULTS (comma-separated) fails the way the system would
// make it fail, so that each failure path of the real program can be run under Wine.
// Read once per process; without the variable nothing fails. The names:
//   window         the saver window cannot be created
//   frame-timer    the multimedia frame timer cannot be started
//   unblock-timer  the 100 ms unblock timer cannot be started
//   cursor         the cursor position cannot be read
//   device         Direct3D refuses the device
//   present        the first present finds the device lost (it may be reset at once)
//   file-create    no file can be created
//   file-write     nothing can be written to a file
//   file-delete    no file can be deleted
//   registry-write no registry value can be written
//   library        no library can be loaded by full path
//   com            no COM object can be created (DirectMusic, DirectSound)
namespace vtl {

bool FaultInjected(const char* name);

}  // namespace vtl
