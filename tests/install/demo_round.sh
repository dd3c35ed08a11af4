# Sourced by the package and Wayland checks: whether an unattended round of the demo
# folder wrote the image of every page its setup publishes.
#   check_demo_round FOLDER OUTPUT   (OUTPUT: the round's standard output)
# Prints what is wrong and returns 1, or returns 0.
check_demo_round() {
  local folder=$1 output=$2 page bad=0
  local pages
  pages=$(sed -n 's/^ *\([0-9][0-9]*\) *;.*;FTP_ON;.*/\1/p' "$folder/Tidemark_setup.txt")
  if [ -z "$pages" ]; then
    echo "the demo's setup publishes no page" >&2
    return 1
  fi
  for page in $pages; do
    local image="$folder/Tidemark_window$page.png"
    if ! grep -qxF "Saved... $image" "$output" || [ ! -s "$image" ]; then
      echo "page $page's image $image was not written" >&2
      bad=1
    fi
  done
  # Page images only: the web page and its data feed are written beside them.
  local images='^Saved\.\.\. .*/Tidemark_window[0-9]*\.png$'
  if [ "$(grep -c "$images" "$output")" -ne "$(wc -w <<<"$pages")" ]; then
    echo "the round wrote other images than the setup publishes: $(grep "$images" "$output" | tr '\n' ' ')" >&2
    bad=1
  fi
  return $bad
}
