#!/usr/bin/env bash
# A CUPS server of the tests' own, with PDF queues, for the end-to-end printing tests.
# Sourced by scripts/test.sh, which calls cups_test_server_start before the tests and
# cups_test_server_stop on exit. Needs root (the PDF backend runs as root and reads its
# settings from /etc/cups). When the server cannot start, the tests that need it skip and
# say why (TAMARIKO_CUPS_SKIP_REASON).
#
# Exported for the tests:
#   CUPS_SERVER                 the server's socket (libcups and Qt talk to it)
#   TAMARIKO_CUPS_QUEUE         a PDF queue without margins
#   TAMARIKO_CUPS_MARGIN_QUEUE  a PDF queue whose B4 paper has hardware margins
#                               (left 12 pt, top 24 pt)
#   TAMARIKO_CUPS_OUT           the folder both queues write their PDF files into

_tamariko_cups_pdf_conf=/etc/cups/cups-pdf-tamariko-test.conf

_tamariko_cups_skip() {
  export TAMARIKO_CUPS_SKIP_REASON="$1"
  echo "cups test server: $1 (the CUPS tests will skip)" >&2
  unset CUPS_SERVER TAMARIKO_CUPS_QUEUE TAMARIKO_CUPS_MARGIN_QUEUE TAMARIKO_CUPS_OUT
  cups_test_server_stop
  return 0
}

_tamariko_cups_write_config() {
  local d=$1
  cat >"$d/root/cupsd.conf" <<EOF || return 1
Listen $d/cups.sock
LogLevel warn
WebInterface No
Browsing No
MaxJobs 100
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cat >"$d/root/cups-files.conf" <<EOF || return 1
ServerRoot $d/root
RequestRoot $d/spool
TempDir $d/spool/tmp
CacheDir $d/cache
StateDir $d/state
ServerBin /usr/lib/cups
DataDir /usr/share/cups
AccessLog $d/log/access_log
ErrorLog $d/log/error_log
PageLog $d/log/page_log
SystemGroup root
User lp
Group lp
EOF
  cat >"$_tamariko_cups_pdf_conf" <<EOF || return 1
Out $d/out
AnonDirName $d/out
Spool $d/spool/cups-pdf
Log $d/log
UserUMask 0000
Grp lp
EOF
}

cups_test_server_start() {
  if [ "$(id -u)" -ne 0 ]; then
    _tamariko_cups_skip "needs root to run cupsd and the PDF backend"
    return 0
  fi
  if [ ! -x /usr/sbin/cupsd ] || [ ! -x /usr/lib/cups/backend/cups-pdf ] ||
    [ ! -x /usr/sbin/lpadmin ]; then
    _tamariko_cups_skip "cups, cups-client or printer-driver-cups-pdf is not installed"
    return 0
  fi
  local ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
  if [ ! -r "$ppd" ]; then
    _tamariko_cups_skip "the cups-pdf driver file $ppd is missing"
    return 0
  fi

  if ! TAMARIKO_CUPS_DIR=$(mktemp -d /tmp/tamariko-cups.XXXXXX); then
    _tamariko_cups_skip "cannot make a folder for the server under /tmp"
    return 0
  fi
  export TAMARIKO_CUPS_DIR
  local d=$TAMARIKO_CUPS_DIR
  if ! mkdir -p "$d/root/ppd" "$d/spool/tmp" "$d/cache" "$d/state" "$d/log" "$d/out" ||
    ! chmod 0755 "$d" || ! chmod 1777 "$d/out" "$d/spool/tmp" ||
    ! _tamariko_cups_write_config "$d"; then
    _tamariko_cups_skip "cannot write the server's settings (or $_tamariko_cups_pdf_conf)"
    return 0
  fi

  /usr/sbin/cupsd -f -c "$d/root/cupsd.conf" -s "$d/root/cups-files.conf" \
    >"$d/log/cupsd.out" 2>&1 &
  TAMARIKO_CUPSD_PID=$!
  export TAMARIKO_CUPSD_PID
  export CUPS_SERVER="$d/cups.sock"

  local i
  for i in $(seq 1 50); do
    [ -S "$d/cups.sock" ] && lpstat -r >/dev/null 2>&1 && break
    if ! kill -0 "$TAMARIKO_CUPSD_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  if ! lpstat -r >/dev/null 2>&1; then
    _tamariko_cups_skip "cupsd did not start: $(tail -n 3 "$d/log/cupsd.out" "$d/log/error_log" 2>/dev/null | tr '\n' ' ')"
    return 0
  fi

  # The second queue reports margins on B4: 12 pt left, 10 bottom, 14 right, 24 top.
  sed 's|^\*ImageableArea JISB4/B4 (JIS): .*|*ImageableArea JISB4/B4 (JIS): "12 10 713 1005"|' \
    "$ppd" >"$d/margins.ppd"

  export TAMARIKO_CUPS_QUEUE=tamariko-pdf
  export TAMARIKO_CUPS_MARGIN_QUEUE=tamariko-pdf-margins
  export TAMARIKO_CUPS_OUT="$d/out"
  if ! lpadmin -p "$TAMARIKO_CUPS_QUEUE" -E -v cups-pdf:/tamariko-test -P "$ppd" \
    >>"$d/log/lpadmin.out" 2>&1 ||
    ! lpadmin -p "$TAMARIKO_CUPS_MARGIN_QUEUE" -E -v cups-pdf:/tamariko-test \
      -P "$d/margins.ppd" >>"$d/log/lpadmin.out" 2>&1; then
    _tamariko_cups_skip "lpadmin could not add the PDF queues: $(tr '\n' ' ' <"$d/log/lpadmin.out")"
    return 0
  fi
  echo "cups test server: running (pid $TAMARIKO_CUPSD_PID, $CUPS_SERVER)" >&2
  unset TAMARIKO_CUPS_SKIP_REASON
  return 0
}

cups_test_server_stop() {
  if [ -n "${TAMARIKO_CUPSD_PID:-}" ]; then
    kill "$TAMARIKO_CUPSD_PID" 2>/dev/null || true
    wait "$TAMARIKO_CUPSD_PID" 2>/dev/null || true
    unset TAMARIKO_CUPSD_PID
  fi
  rm -f "$_tamariko_cups_pdf_conf" 2>/dev/null || true
  if [ -n "${TAMARIKO_CUPS_DIR:-}" ] && [ -d "$TAMARIKO_CUPS_DIR" ]; then
    rm -rf "$TAMARIKO_CUPS_DIR" 2>/dev/null || true
    unset TAMARIKO_CUPS_DIR
  fi
  return 0
}
