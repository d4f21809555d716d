/*
 * zqload.fastclick.js - turns on the fast-click handling of touch devices.
 *
 * On a device with touch input, when the fast-click special event
 * (jquery.event.special.fastclick.js, linked by mobile controls) is loaded,
 * the page body gets a fastclick binding so that taps do not wait for the
 * browser's double-tap delay. Anywhere else it does nothing.
 *
 * Reads: jQuery as ZQJQuery or $, $.event.special.fastclick.
 */
/* global jQuery */
(function (window, document, $) {
  "use strict";
  if (!$ || !("ontouchstart" in window) || !$.event || !$.event.special || !$.event.special.fastclick) {
    return;
  }
  $(function () {
    $(document.body).on("fastclick", function () { return true; });
  });
}(window, document, window.ZQJQuery || window.jQuery));
