/*!
 * hashchange for jQuery: the "hashchange" event of the window, as the
 * library's browser-history component binds it.
 *
 * Current browsers fire a native "hashchange" event on the window whenever
 * the URL fragment changes (a script setting location.hash, back, forward, a
 * typed fragment), and jQuery binds native events directly, so
 * $(window).bind("hashchange", fn) and $(window).trigger("hashchange") work
 * without a polling loop. This file adds what the classic plug-in offered on
 * top of that:
 *   $(window).hashchange(fn)   binds fn to the event;
 *   $(window).hashchange()     fires the event (handlers see the current hash);
 *   $.fn.hashchange.src / .domain  accepted and ignored (kept for old callers).
 */
(function ($, window) {
  'use strict';
  if (!$ || !$.fn) return;
  var str_hashchange = 'hashchange';

  $.fn[str_hashchange] = function (fn) {
    return fn ? this.on(str_hashchange, fn) : this.trigger(str_hashchange);
  };
  $.fn[str_hashchange].delay = 50;
  $.fn[str_hashchange].src = null;
  $.fn[str_hashchange].domain = null;

  // The current fragment, "#" included ("" when there is none).
  $[str_hashchange + 'Hash'] = function () {
    return window.location.hash || '';
  };
})(window.jQuery, window);
