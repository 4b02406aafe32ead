# The live default-gateway check: the kernel's routing table of a network namespace of the
# case's own, whatever the device root's override says.

case routes
  namespace net
  env BRELTA_LIVE=gateway
  write network/default_gateway 1
  # A default route, but not in the main table; then one in it; then IPv6 only. Each run
  # has checked once its popup is asked for.
  $ ip link set lo up && ip route add default dev lo table 100
  start brelta.keycombination.gateway
  await apps/launches TEST : FAIL
  $ ip route add default dev lo
  start brelta.keycombination.gateway
  await apps/launches TEST : PASS
  $ ip route del default && ip -6 route add default dev lo
  start brelta.keycombination.gateway
  wait
  $ grep -o 'NETWORK TEST : [A-Z]*' apps/launches
    NETWORK TEST : FAIL
    NETWORK TEST : PASS
    NETWORK TEST : PASS

# A default route whose next hop's link is down (a veth whose peer is down: the kernel marks
# the route linkdown) answers FAIL; once the peer is up and the kernel has cleared the mark,
# the same route answers PASS.
case link-down
  namespace net
  env BRELTA_LIVE=gateway
  $ ip link add v0 type veth peer name v1 && ip link set v0 up && ip route add default dev v0
  start brelta.keycombination.gateway
  await apps/launches TEST : FAIL
  $ ip link set v1 up && while ip route show default | grep -q linkdown; do sleep 0.1; done
  start brelta.keycombination.gateway
  wait
  $ grep -o 'NETWORK TEST : [A-Z]*' apps/launches
    NETWORK TEST : FAIL
    NETWORK TEST : PASS
