# The MDT command: the program runs in a child, which logs its status and keeps its own exit
# delay; the parent never waits for it. Both would wait 120 s: the cases end them.

case child-runs-program
  write usr/bin/MDT #!/bin/sh\necho ran > "$BRELTA_DEVICE_ROOT/ran"\nexit 3\n
  $ chmod +x usr/bin/MDT
  start brelta.keycombination.mdt
  $ until [ "$(grep -cs 'EXITING in 120' log/system)" = 2 ]; do sleep 0.02; done
  records system CMDTPopup.cpp TestUtil.cpp CTaskManager.cpp
    CMDTPopup.cpp: CMDTPopup >
    CTaskManager.cpp: LockExit > lOCK ++ 1
    CMDTPopup.cpp: Execute > +++++  Inside launchNS MDT
    TestUtil.cpp: LaunchMDT > cmd $ROOT/usr/bin/MDT
    CTaskManager.cpp: UnLockExit > UNLOCK -- 0
    CTaskManager.cpp: Exit > EXITING in 120 seconds ...
    [child] TestUtil.cpp: LaunchMDT > MDT launching!!
    [child] TestUtil.cpp: LaunchMDT > Result:[768]
    [child] CTaskManager.cpp: UnLockExit > UNLOCK -- 0
    [child] CTaskManager.cpp: Exit > EXITING in 120 seconds ...
  kill
  $ cat ran
    ran

# The parent goes into its delay at once; the child waits for the program, however long.
case parent-does-not-wait
  write usr/bin/MDT #!/bin/sh\nwhile [ ! -e "$BRELTA_DEVICE_ROOT/go" ]; do sleep 0.05; done\n
  $ chmod +x usr/bin/MDT
  start brelta.keycombination.mdt
  await log/system EXITING in 120 seconds ...
  $ grep -c 'Result\|UNLOCK' log/system
    1
  $ touch go
  await log/system Result:[0]
  kill
  records system TestUtil.cpp
    TestUtil.cpp: LaunchMDT > cmd $ROOT/usr/bin/MDT
    [child] TestUtil.cpp: LaunchMDT > MDT launching!!
    [child] TestUtil.cpp: LaunchMDT > Result:[0]
